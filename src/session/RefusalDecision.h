#pragma once

#include <cstdint>
#include <string_view>

#include "session/SessionStage.h"

// What the run does with a refusal (7F service code). The request refused is the one the gate
// recorded as sent last; nothing here looks at which rows happen to be pending.
enum class RefusalAction {
    Resend,                 // the request stays pending and goes out again
    Busy,                   // 21, 23: resent; the busy indicator steps
    Wait,                   // 37: "Waiting...", resent
    Pending,                // 78 to a request other than the memory write: it stays pending
    AwaitFinalAnswer,       // 78 to the memory write: withdrawn while the ECU erases
    ConditionsNotCorrect,   // 22: the text shown, the memory write withdrawn, the request resent
    StopSessionDone,        // 22 to a stop: the first one got through, its answer was lost
    NewSeed,                // 22 to a key: its seed was used up; a new one is asked for
    SkipRecord,             // an optional read of the stage-0 pass: its successor in the skip order
    ManualReset,            // "Manual Reset": the resets are the operator's; the read goes on as SkipRecord
    OlderEcu,               // no model code: an older unit, level-5 access
    LeaveOutWrite,          // a restore write, or the history, is not written
    GoOnWithout,            // routine 04, 06, 0F or the stop: the run goes on as after its answer
    SkipRoutine09,          // no routine 09: image choice in stage 0, level-7 access later
    HistoryWithoutVersion,  // the history is written back without an entry for this update
    PassBaseChecksum,       // the base is not checked: routine 10 next
    PassUpperChecksum,      // the upper area is not checked: the end tag is written
    ChecksumBeforeReset,    // 80 to the stop: the base checksum is read before the reset
    SecondKey,              // the level-5 key again with the second variant
    EndRun,                 // the run ends with `finalText`
    Unexpected,             // the debug offer, then the run ends with `finalText`
};

struct RefusalDecision {
    constexpr RefusalDecision(RefusalAction what, std::string_view text = {}) : action(what), finalText(text) {}
    RefusalAction action;
    std::string_view finalText;  // set for the actions that end the run
};

struct RefusedRequest {
    int row = -1;  // the request table's row; -1 when none is known
    uint8_t code = 0;
    Stage stage = Stage::Identification;
    bool secondKeyTried = false;
};

// The refusal table. Pure.
RefusalDecision DecideRefusal(const RefusedRequest& refused);
const char* RefusalActionName(RefusalAction action);

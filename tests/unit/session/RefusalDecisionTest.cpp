// The refusal table, row by row, and the walk over every request, code and stage that shows no
// refusal leaves a run with nothing to send and no final text.
#include <gtest/gtest.h>

#include "SessionTest.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "session/RefusalDecision.h"

namespace {

using enum RefusalAction;

TEST(RefusalDecision, FollowsTheTable) {
    const struct {
        int row;
        uint8_t code;
        int32_t stage;
        bool secondKeyTried;
        RefusalAction action;
        std::string_view finalText;
    } cases[] = {
        // Not supported: the optional is left out, what the run needs ends it.
        {Row::ModelCode, 0x11, 0, false, OlderEcu, {}},
        {Row::ReadLocal3A, 0x11, 0, false, SkipRecord, {}},
        {Row::ReadVersion, 0x12, 0, false, SkipRecord, {}},
        {Row::ReadVersion, 0x12, 3, false, HistoryWithoutVersion, {}},
        {Row::ReadVersion, 0x11, 6, false, HistoryWithoutVersion, {}},
        {Row::ReadLocal15, 0x11, 3, false, Unexpected, Text::CanNowExit},  // outside the stage-0 read
        {Row::ReadDate, 0x11, 0, false, Unexpected, Text::CanNowExit},
        {Row::EcuReset, 0x11, 1, false, Unexpected, Text::CanNowExit},  // never a reset by hand unasked
        {Row::StartSession85, 0x12, 1, false, Unexpected, Text::CanNowExit},
        {Row::WriteHistory, 0x11, 3, false, LeaveOutWrite, {}},
        {Row::Routine04, 0x11, 3, false, GoOnWithout, {}},
        {Row::StopSession, 0x12, 6, false, GoOnWithout, {}},
        {Row::StopSession, 0x12, 3, false, Unexpected, Text::CanNowExit},  // never sent in stage 3
        {Row::Routine09, 0x12, 0, false, SkipRoutine09, {}},
        {Row::BaseChecksum, 0x12, 2, false, PassBaseChecksum, {}},
        {Row::UpperChecksum, 0x11, 5, false, PassUpperChecksum, {}},
        {Row::ClearDiagnostics, 0x11, 6, false, EndRun, Text::FinishedOk},
        // Out of range.
        {Row::ReadLocalB820, 0x31, 0, false, SkipRecord, {}},
        {Row::ReadLocal15, 0x31, 0, false, ManualReset, {}},
        {Row::ModelCode, 0x31, 0, false, ManualReset, {}},
        {Row::ReadIdent4F, 0x31, 0, false, SkipRecord, {}},
        {Row::ReadVersion, 0x31, 3, false, HistoryWithoutVersion, {}},
        {Row::ReadDate, 0x31, 0, false, Unexpected, Text::CanNowExit},
        {Row::BaseChecksum, 0x31, 2, false, Unexpected, Text::CanNowExit},
        {Row::WriteLocal1A, 0x31, 3, false, LeaveOutWrite, {}},
        {Row::Routine0D, 0x31, 3, false, Unexpected, Text::CanNowExit},
        {Row::WriteMemory, 0x31, 1, false, Unexpected, Text::CanNowExit},
        // Busy, wait, pending, conditions.
        {Row::WriteMemory, 0x21, 1, false, Busy, {}},
        {Row::Routine04, 0x23, 3, false, Busy, {}},
        {Row::SeedLevel5, 0x37, 0, false, Wait, {}},
        {Row::WriteMemory, 0x78, 1, false, AwaitFinalAnswer, {}},
        {Row::Routine04, 0x78, 3, false, Pending, {}},
        {Row::WriteMemory, 0x22, 1, false, ConditionsNotCorrect, Text::ConditionsNotCorrect},
        {Row::ReadDate, 0x22, 0, false, ConditionsNotCorrect, {}},
        {Row::StopSession, 0x22, 6, false, StopSessionDone, {}},
        {Row::KeyLevel7, 0x22, 1, false, NewSeed, {}},
        // Keys.
        {Row::KeyLevel5, 0x35, 0, false, SecondKey, {}},
        {Row::KeyLevel5, 0x35, 0, true, EndRun, Text::InvalidKey},
        {Row::KeyLevel7, 0x35, 1, false, EndRun, Text::InvalidKey},
        {Row::SeedLevel5, 0x35, 0, false, Resend, {}},
        // Outside the active session.
        {Row::StopSession, 0x80, 1, false, ChecksumBeforeReset, {}},
        {Row::BaseChecksum, 0x80, 1, false, PassBaseChecksum, {}},
        {Row::UpperChecksum, 0x80, 5, false, PassUpperChecksum, {}},
        {Row::ReadDate, 0x80, 0, false, Resend, {}},
        // Any other code, or a refusal of nothing sent.
        {Row::WriteMemory, 0x10, 1, false, Unexpected, Text::CanNowExit},
        {Row::SeedLevel7, 0x33, 1, false, Unexpected, Text::CanNowExit},
        {Row::ReadTime, 0x81, 0, false, Unexpected, Text::CanNowExit},
        {-1, 0x11, 0, false, Unexpected, Text::CanNowExit},
    };
    for (const auto& c : cases) {
        const RefusalDecision d = DecideRefusal({c.row, c.code, Stage(c.stage), c.secondKeyTried});
        EXPECT_EQ(RefusalActionName(d.action), std::string(RefusalActionName(c.action)))
            << "row " << c.row << " code " << std::hex << int(c.code) << std::dec << " stage " << c.stage;
        EXPECT_EQ(d.finalText, c.finalText) << "row " << c.row << " code " << std::hex << int(c.code);
    }
}

// Every row of the table, every code the refusal handling names (and two it does not), every
// stage: afterwards something is pending or a final answer awaited, or the run has its final
// text, or the operator's reset moved the run on, or (stage 0) the operator is asked to proceed.
using RefusalWalk = SessionTest;

#ifndef REFUSAL_WALK_STRIDE
#define REFUSAL_WALK_STRIDE 1
#endif

TEST_F(RefusalWalk, NoRefusalLeavesTheRunStandingStill) {
    const uint8_t codes[] = {0x11, 0x12, 0x21, 0x22, 0x23, 0x31, 0x35, 0x37, 0x78, 0x80, 0x10, 0x33};
    int walked = 0;
    for (int32_t stage = 0; stage <= 6; ++stage) {
        for (int row = 0; row < kRequestRowCount; ++row) {
            for (uint8_t code : codes) {
                for (const bool secondKeyTried : {false, true}) {
                    if (secondKeyTried && row != Row::KeyLevel5) continue;  // only the level-5 key has a second
                    if (walked++ % REFUSAL_WALK_STRIDE != 0) continue;
                    TestBench other;
                    CFlashDlg& d = *other.dlg;
                    d.InitSessionData();
                    d.sessionStage = Stage(stage);
                    d.secondKeyTried = secondKeyTried ? 1 : 0;
                    d.MakePending(row);
                    const uint8_t service = ServiceOfRow(row);
                    AnswerTo(d, {0x7F, service, code});
                    const bool waitsForTheOperator =
                        stage == 0 && other.host.IsEnabled(ControlId::Proceed, false) && d.runEnded == 0;
                    const bool goesOn = !PendingRowsOf(d).empty() || d.finalAnswerDue != 0 || d.runEnded != 0 ||
                                        d.sessionStage != Stage(stage) || waitsForTheOperator;
                    EXPECT_TRUE(goesOn) << "row " << row << " code " << std::hex << int(code) << std::dec << " stage "
                                        << stage << " "
                                        << RefusalActionName(
                                               DecideRefusal({row, code, Stage(stage), secondKeyTried}).action);
                }
            }
        }
    }
}

}  // namespace

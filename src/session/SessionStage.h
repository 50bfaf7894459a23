#pragma once

#include <cstdint>

// The stages of one update. The numbers are the system's own: the debug report prints them.
enum class Stage : int32_t {
    Identification = 0,     // date, time, version, model policy, snapshot read, image choice
    BaseProgramming = 1,    // level-7 access, programming session, base tags
    BaseVerification = 2,   // after the reset: model policy, base checksum
    Restore = 3,            // routines, history entry, snapshot write-back
    RestoreAfterReset = 4,  // a reset out of stage 3: the write-back goes on
    UpperProgramming = 5,   // upper tags, upper checksum, end tag
    Completion = 6,         // after the second reset: history version, stop, clear diagnostics
};

inline constexpr int32_t StageNumber(Stage stage) { return static_cast<int32_t>(stage); }
const char* StageName(Stage stage);
// Where a reset leaves the run: 0 and 1 go to 2, each later stage to the next, 6 stays.
Stage StageAfterReset(Stage stage);

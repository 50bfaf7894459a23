#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "sim/RunReport.h"

// What the ECU's records must hold after a run, against what they held when the simulator was
// made: every record as it was, but for the repairs the program makes on reading (21 17, 21 33,
// compared with their repaired values), the history with this run's entries added, and the
// records a test names as left out (each with its reason in the test).
struct ExpectedRecords {
    std::tm date{};                            // the new entries' date (the program's local time)
    std::vector<std::string> historyVersions;  // one per entry added, oldest first; empty: the history is as it was
    std::string user = "tester";
    std::vector<std::string> leftOut;
};

// One line per record that is not as expected; empty when all are.
std::vector<std::string> RecordProblems(const sim::RunReport& report, const ExpectedRecords& expected);

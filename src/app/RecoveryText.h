#pragma once

#include <string>
#include <string_view>

// After a run stopped while the ECU was being changed: that the ECU is not programmed, and how to
// finish the update from the run's journal (`journalPath`; empty when the run kept none), with
// the exact command.
std::string EcuRecoveryText(std::string_view journalPath);
// The same steps without the first line, for a question asked before the run is stopped.
std::string RecoverySteps(std::string_view journalPath);

// The path as one word of a command line, in double quotes when it holds anything but the
// characters of plain paths.
std::string CommandLineWord(std::string_view path);

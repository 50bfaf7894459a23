#pragma once

#include <string>
#include <string_view>

// After a run stopped while the ECU was being changed: that the ECU is not programmed, and how to
// finish the update from the journal that holds its data (`journalPath`; empty when there is
// none; `ownJournal`: this run's, else the one this run was writing back), with the exact command.
std::string EcuRecoveryText(std::string_view journalPath, bool ownJournal = true);
// The same steps without the first line, for a question asked before the run is stopped.
std::string RecoverySteps(std::string_view journalPath, bool ownJournal = true);

// The path as one word of a command line that can be pasted as it is printed: quoted when it
// holds anything but the characters of plain paths, in single quotes for a POSIX shell (each
// quote in the path written '\'') and in double quotes on Windows.
std::string CommandLineWord(std::string_view path);

// The command that finishes an update from a journal.
std::string ResumeCommandFor(std::string_view journalPath);

// What this run has done to the ECU, as its journal's progress tells it.
enum class EcuState {
    Untouched,     // nothing written: the programming session was never asked for
    Programmed,    // "Finished OK"
    Unprogrammed,  // programming started and the run did not finish: no working program
};
// "untouched", "programmed", "unprogrammed"
const char* EcuStateName(EcuState state);

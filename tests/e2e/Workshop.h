#pragma once

#include <memory>
#include <string>
#include <vector>

#include "RecordCheck.h"
#include "TemporaryFolder.h"
#include "VirtualUpdateBench.h"
#include "journal/Journal.h"
#include "platform/FolderStorage.h"

// The console's --yes, with --resume FILE or --no-resume.
JournalSettings Unattended();
JournalSettings Resuming(const std::string& journalPath);
JournalSettings NotResuming();

// The journal of a run that started programming and was cut off, for the ECU the header names;
// its path.
std::string LeaveInterruptedJournal(Storage& storage, const JournalHeader& header);

// One simulated ECU kept across several runs of the program, each run a program of its own
// keeping its journals in the same folder: an update cut off, and the runs after it.
class Workshop {
public:
    explicit Workshop(sim::SimOptions ecu);
    // An ECU of a station whose programs keep their journals in one folder with other ECUs'.
    Workshop(sim::SimOptions ecu, Storage& stationJournals);

    // The program ends without its close steps reaching the ECU (it is killed): its journal is
    // left as it was, no longer held by a running update.
    void KillProgram();
    // A program started on the ECU. Any program before it ended without its close steps reaching
    // the ECU (killed), and the operator switched the ECU off and on.
    void StartProgram(JournalSettings settings = {});
    // The run's end as the console program would give it: 0 after "Finished OK", 1 otherwise.
    int ExitCode();
    std::vector<JournalListing> Journals() { return journal->List(); }
    // The path of the journal of the program's run.
    std::string RunJournalPath() const { return journal->CurrentPath(); }
    // What the ECU's records must hold now: as before the first run, but for the repairs and the
    // history entries of the runs that wrote one (their versions, oldest first).
    std::vector<std::string> RecordProblems(std::vector<std::string> historyVersions,
                                            std::vector<std::string> leftOut = {});
    // Frames written by the current program that came after the stage-0 read (31 09).
    std::size_t FramesAfterTheStage0Read() const;

    TemporaryFolder root;
    FolderStorage storage;
    VirtualUpdateBench run;

private:
    Storage& journals_;
    std::unique_ptr<Journal> journal;
    std::size_t firstFrameOfProgram_ = 0;
    bool started_ = false;
    int programs_ = 0;
};

// The journals as the operator's recovery sees them: whether an update was cut off while
// programming, and the path of the run's own journal in the recovery text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "JournalSamples.h"
#include "TemporaryFolder.h"
#include "TestBench.h"
#include "journal/InterruptedRuns.h"
#include "platform/FolderStorage.h"

namespace {

TEST(InterruptedRuns, OnlyAJournalWhoseProgrammingStartedAndNeverEndedCounts) {
    const std::pair<JournalProgress, bool> cases[] = {
        {JournalProgress::Saved, false},
        {JournalProgress::ProgrammingStarted, true},
        {JournalProgress::WriteBackFinished, false},
        {JournalProgress::Finished, false},
        {JournalProgress::Superseded, false},
    };
    for (const auto& [progress, interrupted] : cases) {
        TemporaryFolder root;
        FolderStorage storage(root.File("state"));
        Journal journal(storage);
        EXPECT_FALSE(AnyRunInterruptedWhileProgramming(journal)) << "no folder yet";
        auto entry = SampleEntry();
        entry->header.progress = progress;
        std::string reason;
        ASSERT_TRUE(storage.WriteAtomically(storage.PathOf("run.journal"), EncodeJournal(*entry), reason)) << reason;
        TemporaryFolder::WriteAll(root.File("state/damaged.journal"), "not a journal");
        EXPECT_EQ(AnyRunInterruptedWhileProgramming(journal), interrupted) << ProgressName(progress);
        EXPECT_EQ(storage.List().size(), 2u) << "nothing was touched";
    }
}

TEST(InterruptedRuns, TheRecoveryTextNamesTheRunsOwnJournal) {
    TestBench bench;
    TemporaryFolder root;
    FolderStorage storage(root.File("state"));
    Journal journal(storage);
    bench.dlg->journalSettings.journal = &journal;
    EXPECT_EQ(bench.dlg->JournalPath(), "") << "before the journal is written";
    ASSERT_TRUE(bench.dlg->BeginJournal());
    EXPECT_EQ(bench.dlg->JournalPath(), journal.CurrentPath());
    EXPECT_EQ(bench.dlg->JournalToResume(), "") << "before its programming mark it holds nothing the ECU lacks";
    bench.dlg->sessionStage = Stage::BaseProgramming;
    bench.dlg->AskForProgrammingSession();
    EXPECT_THAT(bench.dlg->RecoveryText(), ::testing::HasSubstr("flash-updater-cli --resume " + journal.CurrentPath()));
}

}  // namespace

// The dialog's use of the journal: what is saved before stage 1, and what the stage-0 read is
// offered afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "JournalSamples.h"
#include "TemporaryFolder.h"
#include "TestBench.h"
#include "journal/JournalDescription.h"
#include "journal/JournalTexts.h"
#include "link/RequestTable.h"
#include "platform/FolderStorage.h"

namespace {

constexpr const char* kVin = "WVWZZZ1KZAW000123";

class RunJournalTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;
    TemporaryFolder root;
    FolderStorage storage{root.File("state")};
    Journal journal{storage};

    RunJournalTest() {
        dlg.journalSettings.journal = &journal;
        bench.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 14, 2, 9));
        std::memcpy(dlg.ecuDataSnapshot.ident90.data(), kVin, 17);
        dlg.ecuDataSnapshot.ident92 = {0x03, 0x12, 0xAB, 0x05};
        dlg.ecuDataSnapshot.local12 = {1, 2, 3, 4, 5};
        dlg.savedMarks[0] = 1;
        dlg.savedMarks[77] = 1;
        dlg.modelCode = 17;
        dlg.variant = 1;
        dlg.imageIndex = 5;
        std::strcpy(dlg.ecuIdentification.softwareDate, "Mar 14 2010");
        std::strcpy(dlg.ecuIdentification.softwareTime, "09:30:00");
        std::memcpy(dlg.ecuIdentification.currentVersion, "304E", 5);
    }

    // An earlier run of an ECU, left at the given progress.
    std::string Leave(std::string_view vin, JournalTime at, JournalProgress progress) {
        auto entry = SampleEntry(vin, at);
        entry->header.progress = progress;
        const std::string path = storage.PathOf(std::string(vin.substr(0, 3)) + std::to_string(at.day) + ".journal");
        std::string reason;
        EXPECT_TRUE(storage.WriteAtomically(path, EncodeJournal(*entry), reason)) << reason;
        return path;
    }

    static JournalProgress ProgressOf(const std::string& path) {
        const auto entry = JournalOnDisk(path);
        return entry ? entry->header.progress : JournalProgress::Superseded;
    }

    bool SnapshotIs(const JournalEntry& entry) const {
        return std::memcmp(&dlg.ecuDataSnapshot, &entry.snapshot, sizeof entry.snapshot) == 0 &&
               dlg.savedMarks == entry.savedMarks;
    }

    std::vector<ScriptedDialogHost::MessageBoxCall> YesNoBoxes() const {
        std::vector<ScriptedDialogHost::MessageBoxCall> boxes;
        for (const auto& box : host.MessageBoxes())
            if (IsQuestion(box.buttons)) boxes.push_back(box);
        return boxes;
    }
};

TEST_F(RunJournalTest, BeginSavesTheSnapshotAndWhoTheEcuIs) {
    ASSERT_TRUE(dlg.BeginJournal());
    const auto saved = JournalOnDisk(journal.CurrentPath());
    ASSERT_TRUE(saved);
    const JournalHeader& h = saved->header;
    EXPECT_EQ(h.progress, JournalProgress::Saved);
    EXPECT_EQ(std::string(h.vin.begin(), h.vin.end()), kVin);
    EXPECT_EQ(h.hardwareSerial, (std::array<uint8_t, 4>{0x03, 0x12, 0xAB, 0x05}));
    EXPECT_EQ(h.modelCode, 17);
    EXPECT_EQ(h.variant, 1);
    EXPECT_EQ(h.imageIndex, 5);
    EXPECT_EQ(h.softwareDate, "Mar 14 2010");
    EXPECT_EQ(h.softwareTime, "09:30:00");
    EXPECT_EQ(h.softwareVersion, "304E");
    EXPECT_EQ(JournalTimeText(h.startedAt), "2026-12-10 14:02:09");
    EXPECT_TRUE(SnapshotIs(*saved));
    EXPECT_TRUE(host.MessageBoxes().empty());

    EXPECT_TRUE(dlg.RecordProgrammingStart());
    EXPECT_EQ(ProgressOf(journal.CurrentPath()), JournalProgress::ProgrammingStarted);
    dlg.RecordJournalProgress(JournalProgress::WriteBackFinished);
    EXPECT_EQ(ProgressOf(journal.CurrentPath()), JournalProgress::WriteBackFinished);
    dlg.RecordJournalProgress(JournalProgress::Finished);
    EXPECT_EQ(ProgressOf(journal.CurrentPath()), JournalProgress::Finished);
}

// The operator decides whether to program without a saved copy; nobody decides it for an
// unattended run.
TEST_F(RunJournalTest, JournalThatCannotBeSavedStopsTheRunUnlessTheOperatorAccepts) {
    TemporaryFolder::WriteAll(root.File("state"), "a file where the folder should be");
    const struct {
        bool unattended;
        MessageResult answer;
        bool proceeds;
        std::size_t questions;
    } cases[] = {
        {false, MessageResult::Yes, true, 1},
        {false, MessageResult::No, false, 1},
        {true, MessageResult::Yes, false, 0},
    };
    for (const auto& c : cases) {
        TestBench other;
        other.dlg->journalSettings.journal = &journal;
        other.dlg->journalSettings.unattended = c.unattended;
        other.host.ScriptYesNoAnswer(c.answer);
        EXPECT_EQ(other.dlg->BeginJournal(), c.proceeds) << c.unattended;
        std::size_t questions = 0;
        for (const auto& box : other.host.MessageBoxes()) {
            if (box.buttons != MessageButtons::YesNo) continue;
            ++questions;
            EXPECT_NE(box.text.find(std::string(Text::JournalFolder) + root.File("state")), std::string::npos);
        }
        EXPECT_EQ(questions, c.questions);
        if (!c.proceeds) {
            EXPECT_EQ(other.host.StatusText().rfind(Text::NotProgrammedNoJournal, 0), 0u) << other.host.StatusText();
            EXPECT_NE(other.host.StatusText().find(root.File("state")), std::string::npos);
            EXPECT_EQ(other.dlg->runEnded, 1);
        }
    }
}

TEST_F(RunJournalTest, OperatorIsAskedAboutAnInterruptedRunAndItsDataIsWrittenBack) {
    const std::string interrupted = Leave(kVin, {2026, 12, 9, 8, 15, 0}, JournalProgress::ProgrammingStarted);
    JournalProblem problem;
    const auto saved = journal.Load(interrupted, problem);
    ASSERT_TRUE(saved);

    host.ScriptYesNoAnswer(MessageResult::No);
    dlg.OfferJournalRestore();
    ASSERT_EQ(YesNoBoxes().size(), 1u);
    EXPECT_EQ(YesNoBoxes()[0].buttons, MessageButtons::YesNoDefaultYes) << "this ECU's own journal";
    EXPECT_NE(YesNoBoxes()[0].text.find("VIN: WVWZZZ1KZAW000123\nHW serial: C12ab_05\nRun of: 2026-12-09 08:15:00"),
              std::string::npos)
        << YesNoBoxes()[0].text;
    EXPECT_FALSE(SnapshotIs(saved->entry));
    EXPECT_FALSE(dlg.restoreSource);

    host.ScriptYesNoAnswer(MessageResult::Yes);
    dlg.OfferJournalRestore();
    EXPECT_TRUE(SnapshotIs(saved->entry));
    ASSERT_TRUE(dlg.restoreSource);
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::ProgrammingStarted) << "kept until this run has its own";

    ASSERT_TRUE(dlg.BeginJournal());
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::ProgrammingStarted)
        << "needed until the new journal carries its programming mark";
    const auto own = JournalOnDisk(journal.CurrentPath());
    ASSERT_TRUE(own);
    EXPECT_TRUE(SnapshotIs(*own));
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.AskForProgrammingSession();
    EXPECT_EQ(ProgressOf(journal.CurrentPath()), JournalProgress::ProgrammingStarted);
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::Superseded);
}

TEST_F(RunJournalTest, UnattendedRunUsesOnlyThisEcusJournalOrTheOneNamed) {
    dlg.journalSettings.unattended = true;
    const std::string other = Leave("VF1AB000123456789", {2026, 12, 9, 8, 0, 0}, JournalProgress::ProgrammingStarted);
    dlg.OfferJournalRestore();
    EXPECT_FALSE(dlg.restoreSource);
    ASSERT_EQ(host.MessageBoxes().size(), 1u);
    EXPECT_EQ(host.MessageBoxes()[0].text, Text::JournalLeftUnused + other);

    const std::string own = Leave(kVin, {2026, 12, 8, 8, 0, 0}, JournalProgress::ProgrammingStarted);
    dlg.OfferJournalRestore();
    ASSERT_TRUE(dlg.restoreSource);
    EXPECT_EQ(dlg.restoreSource->path, own);

    // Another ECU's journal named: refused before anything is written, both identities shown.
    std::memcpy(dlg.ecuDataSnapshot.ident90.data(), kVin, 17);  // as read, not as the restore left it
    dlg.journalSettings.resumeFrom = other;
    EXPECT_FALSE(dlg.OfferJournalRestore());
    EXPECT_FALSE(dlg.restoreSource);
    EXPECT_EQ(host.StatusText(), Text::NamedJournalOfAnotherEcu);
    EXPECT_NE(host.MessageBoxes().back().text.find("VF1AB000123456789"), std::string::npos);
    EXPECT_NE(host.MessageBoxes().back().text.find(kVin), std::string::npos);
    EXPECT_TRUE(YesNoBoxes().empty());

    // A named journal that cannot be used ends the run: no restore, no programming.
    dlg.journalSettings.resumeFrom = root.File("missing.journal");
    EXPECT_FALSE(dlg.OfferJournalRestore());
    EXPECT_FALSE(dlg.restoreSource);
    EXPECT_EQ(host.StatusText(), Text::NamedJournalUnusable);
    EXPECT_EQ(dlg.runEnded, 1);
}

// Named, but holding nothing the ECU lacks: refused, saying why.
TEST_F(RunJournalTest, ANamedJournalThatErasedNothingOrFinishedIsNotUsed) {
    dlg.journalSettings.unattended = true;
    const struct {
        JournalProgress progress;
        const char* why;
    } cases[] = {
        {JournalProgress::Saved, Text::JournalErasedNothing},
        {JournalProgress::WriteBackFinished, Text::JournalSuperseded},  // this ECU holds its data again
        {JournalProgress::Finished, Text::JournalFinished},
        {JournalProgress::Superseded, Text::JournalSuperseded},
    };
    int day = 1;
    for (const auto& c : cases) {
        dlg.journalSettings.resumeFrom = Leave(kVin, {2026, 12, uint8_t(day++), 8, 0, 0}, c.progress);
        EXPECT_FALSE(dlg.OfferJournalRestore());
        EXPECT_FALSE(dlg.restoreSource);
        EXPECT_EQ(host.StatusText(), Text::NamedJournalUnusable);
        EXPECT_NE(host.MessageBoxes().back().text.find(c.why), std::string::npos) << c.why;
    }
}

// The new run's journal names the ECU as the interrupted run knew it (its VIN may read blank now)
// and keeps what this run read too; earlier runs of this ECU that erased nothing are superseded,
// the one written back once the new journal has its programming mark, and after "Finished OK"
// every earlier unfinished one. Two interrupted runs may both be this blank ECU's: the operator
// sees both and picks.
TEST_F(RunJournalTest, ARunThatWritesBackKeepsBothAndSupersedesTheOlderJournals) {
    const std::string interrupted = Leave(kVin, {2026, 12, 9, 8, 0, 0}, JournalProgress::ProgrammingStarted);
    const std::string erasedNothing = Leave(kVin, {2026, 12, 8, 8, 0, 0}, JournalProgress::Saved);
    const std::string olderInterrupted = Leave(kVin, {2026, 12, 7, 8, 0, 0}, JournalProgress::ProgrammingStarted);
    const std::string otherEcu = Leave("VF1AB000123456789", {2026, 12, 8, 9, 0, 0}, JournalProgress::Saved);
    std::fill(dlg.ecuDataSnapshot.ident90.begin(), dlg.ecuDataSnapshot.ident90.end(), uint8_t{0xFF});
    const auto readNow = dlg.ecuDataSnapshot;

    host.ScriptYesNoAnswer(MessageResult::No);  // to the first journal offered, Yes to the next
    host.OnMessageBox([&](const auto& box) {
        if (IsQuestion(box.buttons)) host.ScriptYesNoAnswer(MessageResult::Yes);
    });
    ASSERT_TRUE(dlg.OfferJournalRestore());
    ASSERT_TRUE(dlg.restoreSource);
    EXPECT_EQ(dlg.restoreSource->path, olderInterrupted) << "the second one offered, as the operator picked";
    ASSERT_EQ(YesNoBoxes().size(), 2u);
    EXPECT_EQ(YesNoBoxes()[0].buttons, MessageButtons::YesNo) << "No is the default for an ECU that reads blank";
    const std::string listing = host.MessageBoxes().front().text;
    for (const std::string& path : {interrupted, olderInterrupted, std::string("VIN: none readable")})
        EXPECT_NE(listing.find(path), std::string::npos) << listing;
    EXPECT_EQ(listing.find(erasedNothing), std::string::npos) << "erased nothing: not offered";

    ASSERT_TRUE(dlg.BeginJournal());
    EXPECT_EQ(ProgressOf(olderInterrupted), JournalProgress::ProgrammingStarted);
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.AskForProgrammingSession();
    const auto own = JournalOnDisk(journal.CurrentPath());
    ASSERT_TRUE(own);
    EXPECT_EQ(std::string(own->header.vin.begin(), own->header.vin.end()), kVin);
    ASSERT_TRUE(own->hasRecordsReadAtStart);
    EXPECT_EQ(std::memcmp(&own->recordsReadAtStart, &readNow, sizeof readNow), 0);
    EXPECT_EQ(ProgressOf(olderInterrupted), JournalProgress::Superseded);
    EXPECT_EQ(ProgressOf(erasedNothing), JournalProgress::Superseded);
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::ProgrammingStarted);
    EXPECT_EQ(ProgressOf(otherEcu), JournalProgress::Saved);

    dlg.RecordJournalProgress(JournalProgress::Finished);
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::Superseded);
    EXPECT_EQ(ProgressOf(otherEcu), JournalProgress::Saved);
    EXPECT_EQ(ProgressOf(journal.CurrentPath()), JournalProgress::Finished);
}

// The mark that programming starts must be on the disk before the ECU is asked to erase.
TEST_F(RunJournalTest, WithoutTheProgrammingMarkTheEcuIsNotProgrammed) {
    ASSERT_TRUE(dlg.BeginJournal());
    std::filesystem::remove_all(root.File("state"));
    TemporaryFolder::WriteAll(root.File("state"), "a file where the folder should be");
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.AskForProgrammingSession();
    EXPECT_FALSE(dlg.IsPending(Row::StartSession85));
    EXPECT_EQ(host.StatusText().rfind(Text::NotProgrammedNoJournal, 0), 0u) << host.StatusText();
    EXPECT_TRUE(dlg.RunEnded());
}

TEST_F(RunJournalTest, RunCutOffAfterItsWriteBackIsSupersededAndDamageIsReported) {
    const std::string writtenBack = Leave(kVin, {2026, 12, 9, 8, 0, 0}, JournalProgress::WriteBackFinished);
    const std::string damaged = Leave(kVin, {2026, 12, 8, 8, 0, 0}, JournalProgress::Saved);
    std::string bytes = TemporaryFolder::ReadAll(damaged);
    bytes[100] ^= 0x40;
    TemporaryFolder::WriteAll(damaged, bytes);

    dlg.OfferJournalRestore();
    EXPECT_FALSE(dlg.restoreSource);
    EXPECT_EQ(ProgressOf(writtenBack), JournalProgress::Superseded);
    EXPECT_TRUE(YesNoBoxes().empty());
    const auto boxes = host.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string(Text::JournalUnusable) + damaged +
                                 "\nits checksum does not match: the file is damaged\n" + Text::JournalKeptAs +
                                 damaged + ".unusable");
}

// The previous version wrote "programming started" only on the ECU's answer: its "saved" may be an
// erased ECU's data. Never superseded by a run that erased nothing; gone once the ECU is back.
TEST_F(RunJournalTest, AFirstFormatSavedJournalStaysUntilTheEcuHasItsDataBack) {
    auto earlier = SampleEntry(kVin, {2026, 12, 8, 8, 0, 0});
    earlier->header.progress = JournalProgress::Saved;
    const std::string firstFormat = root.File("state/earlier.journal");
    std::string reason;
    ASSERT_TRUE(storage.CheckFolder(reason)) << reason;
    const std::vector<uint8_t> bytes = FirstFormatBytes(*earlier);
    TemporaryFolder::WriteAll(firstFormat, std::string(bytes.begin(), bytes.end()));

    dlg.journalSettings.noResume = true;  // programmed with what reads now, as the operator said
    ASSERT_TRUE(dlg.OfferJournalRestore());
    ASSERT_TRUE(dlg.BeginJournal());
    EXPECT_EQ(ProgressOf(firstFormat), JournalProgress::Saved);
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.AskForProgrammingSession();
    EXPECT_EQ(ProgressOf(firstFormat), JournalProgress::Saved);
    dlg.RecordJournalProgress(JournalProgress::Finished);
    EXPECT_EQ(ProgressOf(firstFormat), JournalProgress::Superseded);
}

// With no journal of its own (its disk full, the operator said to program anyway), a run that
// wrote an interrupted run's data back supersedes that journal once the ECU holds it again, and
// until then names it as the one to finish from.
TEST_F(RunJournalTest, ARunWithoutItsOwnJournalSupersedesTheOneItWroteBackOnlyWhenFinished) {
    const std::string interrupted = Leave(kVin, {2026, 12, 9, 8, 0, 0}, JournalProgress::ProgrammingStarted);
    dlg.journalSettings.unattended = true;
    ASSERT_TRUE(dlg.OfferJournalRestore());
    ASSERT_TRUE(dlg.restoreSource);
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.AskForProgrammingSession();  // no journal of its own was begun
    EXPECT_EQ(dlg.JournalToResume(), interrupted);
    EXPECT_THAT(dlg.RecoveryText(), ::testing::HasSubstr("The journal that holds the ECU's data: " + interrupted));
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::ProgrammingStarted);
    dlg.RecordJournalProgress(JournalProgress::Finished);
    EXPECT_EQ(ProgressOf(interrupted), JournalProgress::Superseded);
}

TEST_F(RunJournalTest, WithoutJournalNothingIsAskedOrWritten) {
    dlg.journalSettings.journal = nullptr;
    Leave(kVin, {2026, 12, 9, 8, 0, 0}, JournalProgress::Saved);
    dlg.OfferJournalRestore();
    EXPECT_TRUE(dlg.BeginJournal());
    dlg.RecordJournalProgress(JournalProgress::Finished);
    EXPECT_TRUE(host.MessageBoxes().empty());
    EXPECT_EQ(storage.List().size(), 1u);
}

}  // namespace

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "JournalSamples.h"
#include "TemporaryFolder.h"
#include "journal/Journal.h"
#include "journal/JournalDescription.h"
#include "platform/FolderStorage.h"

namespace {

constexpr std::array<uint8_t, 4> kSerial{0x03, 0x12, 0xAB, 0x05};
constexpr std::array<uint8_t, 4> kOtherSerial{0x03, 0x12, 0xAB, 0x06};

std::array<uint8_t, 17> Vin(std::string_view text) {
    std::array<uint8_t, 17> vin{};
    std::memcpy(vin.data(), text.data(), std::min<std::size_t>(text.size(), 17));
    return vin;
}

std::string EncodeJournalText() {
    const std::vector<uint8_t> bytes = EncodeJournal(*SampleEntry());
    return {bytes.begin(), bytes.end()};
}

class JournalTest : public ::testing::Test {
protected:
    TemporaryFolder root;
    std::string folder = root.File("state");
    FolderStorage storage{folder};
    Journal journal{storage};
    std::vector<JournalProblem> problems;

    // A finished step of an earlier run, as it was left on the disk.
    std::string Leave(std::string_view vin, JournalTime at, JournalProgress progress,
                      std::array<uint8_t, 4> serial = kSerial) {
        std::string path, reason;
        {
            Journal earlier(storage);
            EXPECT_TRUE(earlier.Begin(*SampleEntry(vin, at, serial), reason)) << reason;
            if (progress >= JournalProgress::ProgrammingStarted) earlier.MarkProgrammingStarted(reason);
            if (progress >= JournalProgress::WriteBackFinished) earlier.MarkWriteBackFinished(reason);
            if (progress >= JournalProgress::Finished) earlier.MarkFinished(reason);
            path = earlier.CurrentPath();
        }
        if (progress == JournalProgress::Superseded) {
            JournalProblem problem;
            auto file = journal.Load(path, problem);
            EXPECT_TRUE(file && journal.MarkSuperseded(*file, reason)) << problem.text << reason;
        }
        return path;
    }

    static JournalProgress ProgressOf(const std::string& path) {
        const auto entry = JournalOnDisk(path);
        EXPECT_TRUE(entry) << path;
        return entry ? entry->header.progress : JournalProgress::Superseded;
    }
};

TEST_F(JournalTest, RunIsSavedAndMarkedAsItGetsOn) {
    std::string reason;
    auto entry = SampleEntry();
    entry->header.progress = JournalProgress::Finished;  // whatever the caller left there
    ASSERT_TRUE(journal.Begin(*entry, reason)) << reason;
    EXPECT_EQ(journal.CurrentPath(), folder + "/20261210-130603Z-WVWZZZ1KZAW000123.journal");
    EXPECT_EQ(ProgressOf(journal.CurrentPath()), JournalProgress::Saved);
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    const struct {
        bool (Journal::*mark)(std::string&);
        JournalProgress expected;
    } steps[] = {
        {&Journal::MarkProgrammingStarted, JournalProgress::ProgrammingStarted},
        {&Journal::MarkWriteBackFinished, JournalProgress::WriteBackFinished},
        {&Journal::MarkFinished, JournalProgress::Finished},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE((journal.*step.mark)(reason)) << reason;
        EXPECT_EQ(ProgressOf(journal.CurrentPath()), step.expected);
    }

    const auto kept = JournalOnDisk(journal.CurrentPath());
    ASSERT_TRUE(kept);
    EXPECT_EQ(std::memcmp(&kept->snapshot, &entry->snapshot, sizeof entry->snapshot), 0);
    EXPECT_EQ(kept->savedMarks, entry->savedMarks);
    EXPECT_EQ(root.Names(), std::vector<std::string>{"state"});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";
}

TEST_F(JournalTest, RunsInTheSameSecondGetFilesOfTheirOwn) {
    const std::string first = Leave("WVWZZZ1KZAW000123", {2026, 12, 10, 13, 6, 3}, JournalProgress::Finished);
    const std::string second = Leave("WVWZZZ1KZAW000123", {2026, 12, 10, 13, 6, 3}, JournalProgress::Saved);
    EXPECT_NE(first, second);
    EXPECT_EQ(ProgressOf(first), JournalProgress::Finished);
    EXPECT_EQ(Leave("\xff\xff", {2026, 12, 10, 13, 6, 4}, JournalProgress::Saved),
              folder + "/20261210-130604Z-unknown-vin.journal");
}

// Only a run whose programming started can have left an ECU without its records.
TEST_F(JournalTest, FindsTheRunsThatMayHaveLostDataNewestFirst) {
    const std::string vin = "WVWZZZ1KZAW000123";
    const std::string oldest = Leave(vin, {2026, 12, 1, 9, 0, 0}, JournalProgress::ProgrammingStarted);
    Leave(vin, {2026, 12, 9, 9, 0, 0}, JournalProgress::Saved);
    Leave(vin, {2026, 12, 10, 9, 0, 0}, JournalProgress::WriteBackFinished);
    Leave(vin, {2026, 12, 10, 9, 5, 0}, JournalProgress::Finished);
    Leave(vin, {2026, 12, 10, 9, 6, 0}, JournalProgress::Superseded);
    const std::string otherSerial =
        Leave(vin, {2026, 12, 11, 9, 0, 0}, JournalProgress::ProgrammingStarted, kOtherSerial);
    const std::string blank = Leave("\xff", {2026, 12, 12, 9, 0, 0}, JournalProgress::ProgrammingStarted);

    const auto found = journal.FindInterrupted(problems);
    std::vector<std::string> paths;
    for (const auto& file : found) paths.push_back(file->path);
    EXPECT_EQ(paths, (std::vector<std::string>{blank, otherSerial, oldest}));
    EXPECT_TRUE(problems.empty());
}

// Journals of this ECU at the progress named are superseded; an unknown identity (no valid VIN)
// is never this ECU, blank against blank included.
TEST_F(JournalTest, OnlyJournalsOfTheSameKnownEcuAreSuperseded) {
    const std::string vin = "WVWZZZ1KZAW000123";
    const std::string writtenBack = Leave(vin, {2026, 12, 1, 9, 0, 0}, JournalProgress::WriteBackFinished);
    const std::string otherEcu = Leave(vin, {2026, 12, 2, 9, 0, 0}, JournalProgress::WriteBackFinished, kOtherSerial);
    const std::string unfinished = Leave(vin, {2026, 12, 3, 9, 0, 0}, JournalProgress::ProgrammingStarted);
    const std::string blank = Leave("\xff", {2026, 12, 4, 9, 0, 0}, JournalProgress::WriteBackFinished);

    EXPECT_EQ(journal.Supersede({Vin(vin), kSerial}, {JournalProgress::WriteBackFinished}, problems), 1);
    EXPECT_EQ(ProgressOf(writtenBack), JournalProgress::Superseded);
    EXPECT_EQ(ProgressOf(otherEcu), JournalProgress::WriteBackFinished);
    EXPECT_EQ(ProgressOf(unfinished), JournalProgress::ProgrammingStarted);

    EXPECT_EQ(journal.Supersede({Vin("\xff"), kSerial}, {JournalProgress::WriteBackFinished}, problems), 0);
    EXPECT_EQ(ProgressOf(blank), JournalProgress::WriteBackFinished);
}

// Another instance of the program, on another adapter, is still at it.
TEST_F(JournalTest, JournalOfARunStillGoingOnIsNeitherOfferedNorTouched) {
    FolderStorage otherInstance(folder);
    auto running = std::make_unique<Journal>(otherInstance);
    std::string reason;
    ASSERT_TRUE(running->Begin(*SampleEntry(), reason)) << reason;
    ASSERT_TRUE(running->MarkProgrammingStarted(reason)) << reason;
    const std::string path = running->CurrentPath();

    EXPECT_TRUE(journal.FindInterrupted(problems).empty());
    EXPECT_TRUE(problems.empty());
    const auto listing = journal.List();
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(JournalListingLine(listing[0]), path + "  in use by a running update");
    JournalProblem problem;
    EXPECT_FALSE(journal.Load(path, problem));
    EXPECT_TRUE(problem.inUse);
    EXPECT_TRUE(problem.keptAs.empty());
    EXPECT_EQ(ProgressOf(path), JournalProgress::ProgrammingStarted);
    EXPECT_TRUE(running->List()[0].usable) << "its own run lists it as it is";

    running.reset();
    auto found = journal.FindInterrupted(problems);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->path, path);
    // Taken by a run that writes its data back, it is in use again for every other run.
    ASSERT_EQ(journal.Hold(*found[0], reason), Journal::HoldOutcome::Held) << reason;
    Journal other(otherInstance);
    EXPECT_TRUE(other.FindInterrupted(problems).empty());
    EXPECT_TRUE(journal.MarkSuperseded(*found[0], reason)) << reason;
    found[0].reset();
    EXPECT_EQ(ProgressOf(path), JournalProgress::Superseded);
}

// Two runs found the same journal: the first to lock it takes it; the other is told so, and once
// the first has written the data back, that the journal is no longer the one it chose.
TEST_F(JournalTest, AJournalIsHeldOnlyByOneRunAndOnlyAsItWasChosen) {
    const std::string path = Leave("WVWZZZ1KZAW000123", {2026, 12, 9, 9, 0, 0}, JournalProgress::ProgrammingStarted);
    FolderStorage secondInstance{folder};
    Journal second(secondInstance);
    auto first = journal.FindInterrupted(problems);
    auto late = second.FindInterrupted(problems);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(late.size(), 1u);
    std::string reason;
    ASSERT_EQ(journal.Hold(*first[0], reason), Journal::HoldOutcome::Held) << reason;
    EXPECT_EQ(second.Hold(*late[0], reason), Journal::HoldOutcome::InUse);
    EXPECT_EQ(reason, path + ": " + kStorageInUse);
    ASSERT_TRUE(journal.MarkSuperseded(*first[0], reason)) << reason;
    first.clear();
    EXPECT_EQ(second.Hold(*late[0], reason), Journal::HoldOutcome::Changed);
    EXPECT_FALSE(late[0]->lock) << "nothing of it is kept";
}

TEST_F(JournalTest, DamagedJournalIsKeptAsideAndNeverUsed) {
    const std::string damaged = Leave("WVWZZZ1KZAW000123", {2026, 12, 9, 9, 0, 0}, JournalProgress::Saved);
    std::string bytes = TemporaryFolder::ReadAll(damaged);
    bytes[bytes.size() / 2] ^= 0x01;
    TemporaryFolder::WriteAll(damaged, bytes);

    const auto listing = journal.List();
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_FALSE(listing[0].usable);
    EXPECT_EQ(listing[0].problem, "its checksum does not match: the file is damaged");
    EXPECT_TRUE(std::filesystem::exists(damaged)) << "listing moves nothing";

    EXPECT_TRUE(journal.FindInterrupted(problems).empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, damaged);
    EXPECT_EQ(problems[0].keptAs, damaged + ".unusable");
    EXPECT_EQ(TemporaryFolder::ReadAll(problems[0].keptAs), bytes);
    EXPECT_FALSE(std::filesystem::exists(damaged));

    // A second damaged file of the same name does not overwrite the first one kept aside.
    TemporaryFolder::WriteAll(damaged, std::string("FLASH UPDATER JOURNAL\n\x00\x00", 24));
    problems.clear();
    EXPECT_TRUE(journal.FindInterrupted(problems).empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].text, "a journal format this program does not know");
    EXPECT_EQ(problems[0].keptAs, damaged + "-2.unusable");
    EXPECT_EQ(TemporaryFolder::ReadAll(damaged + ".unusable"), bytes);

    // A journal a newer version of the program wrote is not ours to move.
    TemporaryFolder::WriteAll(damaged, std::string("FLASH UPDATER JOURNAL\n\x09\x00", 24));
    problems.clear();
    EXPECT_TRUE(journal.FindInterrupted(problems).empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].text, "a journal of a newer version of this program");
    EXPECT_TRUE(problems[0].keptAs.empty());
    EXPECT_TRUE(std::filesystem::exists(damaged));
}

// Named by the operator outside the state folder: reported, never renamed.
TEST_F(JournalTest, DamagedJournalNamedElsewhereStaysWhereItIs) {
    const std::string copy = root.File("copy.journal");
    std::string bytes = EncodeJournalText();
    bytes[bytes.size() / 2] ^= 0x01;
    TemporaryFolder::WriteAll(copy, bytes);
    JournalProblem problem;
    EXPECT_FALSE(journal.Load(copy, problem));
    EXPECT_EQ(problem.text, "its checksum does not match: the file is damaged");
    EXPECT_TRUE(problem.keptAs.empty());
    EXPECT_EQ(TemporaryFolder::ReadAll(copy), bytes);
}

TEST_F(JournalTest, NamedFileThatIsNoJournalStaysWhereItIs) {
    const std::string notes = root.File("notes.txt");
    TemporaryFolder::WriteAll(notes, "not a journal");
    JournalProblem problem;
    EXPECT_FALSE(journal.Load(notes, problem));
    EXPECT_EQ(problem.text, "not a journal of this program");
    EXPECT_TRUE(problem.keptAs.empty());
    EXPECT_EQ(TemporaryFolder::ReadAll(notes), "not a journal");

    EXPECT_FALSE(journal.Load(root.File("missing.journal"), problem));
    EXPECT_NE(problem.text.find("missing.journal"), std::string::npos);
}

TEST_F(JournalTest, UnwritableFolderIsReportedAndTheRunHasNoJournal) {
    TemporaryFolder::WriteAll(root.File("file"), "");
    const std::string blocked = root.File("file") + "/state";
    FolderStorage unwritable(blocked);
    Journal cannot(unwritable);
    std::string reason;
    EXPECT_FALSE(cannot.Begin(*SampleEntry(), reason));
    EXPECT_NE(reason.find(root.File("file")), std::string::npos) << reason;
    EXPECT_FALSE(cannot.Active());
    EXPECT_TRUE(cannot.MarkFinished(reason));
    EXPECT_TRUE(cannot.List().empty());

    FolderStorage nowhere("");
    EXPECT_FALSE(Journal(nowhere).Begin(*SampleEntry(), reason));
    EXPECT_EQ(reason, "the environment names no folder for the program's state");

    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all | std::filesystem::perms::others_read);
    EXPECT_FALSE(journal.Begin(*SampleEntry(), reason));
    EXPECT_EQ(reason, folder + ": open to other users (mode 0704)");
    EXPECT_FALSE(journal.Active());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// A folder others may write to may hold anything under a journal's name: no journal in it is
// read, superseded or held, and the folder is named once with what is wrong.
TEST_F(JournalTest, NoJournalIsReadFromAFolderOthersMayWrite) {
    const std::string path = Leave("WVWZZZ1KZAW000123", {2026, 12, 9, 9, 0, 0}, JournalProgress::ProgrammingStarted);
    auto found = journal.FindInterrupted(problems);
    ASSERT_EQ(found.size(), 1u);
    std::filesystem::permissions(folder, std::filesystem::perms::group_write, std::filesystem::perm_options::add);

    EXPECT_TRUE(journal.FindInterrupted(problems).empty());
    EXPECT_EQ(journal.Supersede(found[0]->entry.header.Identity(), {JournalProgress::ProgrammingStarted}, problems), 0);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, folder);
    EXPECT_FALSE(problems[0].text.empty());
    JournalProblem problem;
    EXPECT_FALSE(journal.Load(path, problem));
    EXPECT_FALSE(problem.text.empty());
    std::string reason;
    EXPECT_EQ(journal.Hold(*found[0], reason), Journal::HoldOutcome::Failed);
    EXPECT_FALSE(found[0]->lock);
    EXPECT_EQ(ProgressOf(path), JournalProgress::ProgrammingStarted);
}

TEST_F(JournalTest, ReadOnlyFolderIsReported) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::string reason;
    EXPECT_FALSE(journal.Begin(*SampleEntry(), reason));
    EXPECT_NE(reason.find(folder), std::string::npos) << reason;
    EXPECT_TRUE(root.Names() == std::vector<std::string>{"state"});
}

}  // namespace

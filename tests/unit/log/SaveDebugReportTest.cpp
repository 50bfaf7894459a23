#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TemporaryFolder.h"
#include "TestBench.h"
#include "log/DebugFileTexts.h"

namespace {

constexpr const char* kHeader = "\nNegative Response received: verb= 0x3d response= 0x10 state = 1\n";

class SaveDebugReportTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;
    TemporaryFolder folder;

    SaveDebugReportTest() {
        bench.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 13, 6, 3));
        std::memcpy(dlg.ecuDataSnapshot.ident90.data(), "VF1AB000123456789", 17);
        dlg.ecuDataSnapshot.ident92 = {0x03, 0x12, 0xAB, 0x05};
        dlg.imageIndex = 6;
        std::memcpy(dlg.ecuIdentification.currentVersion, "304E", 5);
    }

    DebugReportText Build() {
        DebugReportText report;
        dlg.BuildDebugReport(report, kHeader);
        return report;
    }
};

std::vector<std::string> FileDialogs(const ScriptedDialogHost& host) {
    std::vector<std::string> offered;
    for (const auto& entry : host.Log())
        if (entry.rfind("choose-file ", 0) == 0) offered.push_back(entry);
    return offered;
}

constexpr const char* kBlock =
    "\nNegative Response received: verb= 0x3d response= 0x10 state = 1\n"
    "VIN = VF1AB000123456789\n"
    "ECU HW serial num = C12ab_05\n"
    "Trying to upgrade to ????\n"
    "Currently @ 304E\n"
    "Timestamp: Thu Dec 10 13:06:03 2026 \n";

TEST_F(SaveDebugReportTest, ReportsAppendAfterEarlierContentAndTheNameIsOfferedAgain) {
    const std::string file = folder.File("debug.txt");
    TemporaryFolder::WriteAll(file, "earlier content\n");
    host.ScriptFileChoice(file);

    dlg.SaveDebugReport(Build());
    EXPECT_EQ(TemporaryFolder::ReadAll(file), std::string("earlier content\n") + kBlock);

    dlg.imageIndex = 1;
    dlg.SaveDebugReport(Build());
    std::string second = kBlock;
    second.replace(second.find("????"), 4, "K410");
    EXPECT_EQ(TemporaryFolder::ReadAll(file), std::string("earlier content\n") + kBlock + second);

    const auto dialogs = FileDialogs(host);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1], "choose-file " + file + " | choose or create an updater file for debug information .....");
    EXPECT_TRUE(host.MessageBoxes().empty());
}

TEST_F(SaveDebugReportTest, NameIsRememberedAcrossDialogObjects) {
    const std::string file = folder.File("shared.txt");
    host.ScriptFileChoice(file);
    dlg.SaveDebugReport(Build());

    TestBench other;
    other.dlg->SaveDebugReport(Build());
    const auto dialogs = FileDialogs(other.host);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].rfind("choose-file " + file + " | ", 0), 0u);
}

TEST_F(SaveDebugReportTest, CancelTouchesNoFile) {
    const std::string file = folder.File("kept.txt");
    TemporaryFolder::WriteAll(file, "kept\n");
    host.ScriptFileChoice(file);
    dlg.SaveDebugReport(Build());
    host.ScriptFileChoice(std::nullopt);

    dlg.SaveDebugReport(Build());
    EXPECT_EQ(host.StatusText(), "Cancelled");
    EXPECT_EQ(TemporaryFolder::ReadAll(file), std::string("kept\n") + kBlock);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"kept.txt"});
}

TEST_F(SaveDebugReportTest, TimeThatCannotBeHadLeavesTheTimestampEmpty) {
    bench.clock.SetLocalTime({}, false);
    const std::string report = Build().data();
    EXPECT_EQ(report.substr(report.size() - 14), "\nTimestamp:  \n");
}

// The operator is told which file could not take the report; nothing is written elsewhere.
TEST_F(SaveDebugReportTest, UnwritableFileIsReportedToTheOperator) {
    TemporaryFolder::WriteAll(folder.File("not-a-folder"), "");
    const std::string cases[] = {
        folder.File("missing/debug.txt"), folder.File("not-a-folder/debug.txt"),
        folder.Path().string(),  // a folder, not a file
    };
    for (const auto& file : cases) {
        host.ScriptFileChoice(file);
        const auto boxesBefore = host.MessageBoxes().size();
        dlg.SaveDebugReport(Build());
        const auto boxes = host.MessageBoxes();
        ASSERT_EQ(boxes.size(), boxesBefore + 1) << file;
        EXPECT_EQ(boxes.back().text.rfind(std::string(Text::DebugFileNotSaved) + "\n" + file + "\n(", 0), 0u)
            << boxes.back().text;
        EXPECT_NE(host.StatusText(), "Cancelled");
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"not-a-folder"});
    EXPECT_EQ(TemporaryFolder::ReadAll(folder.File("not-a-folder")), "");
}

}  // namespace

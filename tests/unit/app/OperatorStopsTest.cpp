// A run stopped while the ECU is being changed: when that is, what the operator is told to do
// afterwards, and the windows' two ends of a run (closing, a lost line).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestBench.h"
#include "app/RecoveryText.h"

namespace {

using ::testing::HasSubstr;

TEST(RecoveryText, SaysTheEcuIsNotProgrammedAndGivesTheExactCommand) {
    EXPECT_EQ(EcuRecoveryText("/home/ann/.local/state/flash-updater/20261210-140209-WVW.journal"),
              "The ECU is not programmed: the update stopped while the ECU was being changed.\n"
              "This run's journal: /home/ann/.local/state/flash-updater/20261210-140209-WVW.journal\n"
              "Switch the ECU off and on, then finish the update with:\n"
              "  flash-updater-cli --resume /home/ann/.local/state/flash-updater/20261210-140209-WVW.journal");
    EXPECT_EQ(EcuRecoveryText(""),
              "The ECU is not programmed: the update stopped while the ECU was being changed.\n"
              "This run kept no journal: the ECU's configuration was not saved and cannot be written back.\n"
              "Switch the ECU off and on, then run the update again.");
}

TEST(RecoveryText, APathIsQuotedWhenAShellWouldSplitOrExpandIt) {
    // A POSIX shell expands '$', '`' and '!' and a backslash escapes between double quotes, but
    // nothing is special between single quotes; a Windows path holds no '"'.
    struct Case {
        std::string path, posix, windows;  // windows: empty when no Windows path can be like it
    };
    const Case cases[] = {
        {"/tmp/a-b_c.d/x+y,z=1@2%3.journal", "/tmp/a-b_c.d/x+y,z=1@2%3.journal", "/tmp/a-b_c.d/x+y,z=1@2%3.journal"},
        {"C:\\Users\\ann\\AppData\\Local\\FlashUpdater\\r.journal",
         "'C:\\Users\\ann\\AppData\\Local\\FlashUpdater\\r.journal'",
         "C:\\Users\\ann\\AppData\\Local\\FlashUpdater\\r.journal"},
        {"C:\\Users\\Ann Lee\\r.journal", "'C:\\Users\\Ann Lee\\r.journal'", "\"C:\\Users\\Ann Lee\\r.journal\""},
        {"C:\\Users\\Pawe\xC5\x82\\r.journal", "'C:\\Users\\Pawe\xC5\x82\\r.journal'",
         "\"C:\\Users\\Pawe\xC5\x82\\r.journal\""},
        {"/tmp/it's.journal", R"('/tmp/it'\''s.journal')", "\"/tmp/it's.journal\""},
        {"/tmp/*.journal", "'/tmp/*.journal'", "\"/tmp/*.journal\""},
        {R"(/home/$HOME/`id`/!!/"x"/\n.journal)", R"('/home/$HOME/`id`/!!/"x"/\n.journal')", ""},
        {"''", R"(''\'''\''')", "\"''\""},
        {"", "''", "\"\""},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        if (c.windows.empty()) continue;
        EXPECT_EQ(CommandLineWord(c.path), c.windows) << c.path;
#else
        const std::string word = CommandLineWord(c.path);
        EXPECT_EQ(word, c.posix) << c.path;
        // The shell makes the path of the word again.
        FILE* shell = ::popen(("printf '%s' " + word).c_str(), "r");
        ASSERT_NE(shell, nullptr);
        std::string echoed;
        for (int ch = std::fgetc(shell); ch != EOF; ch = std::fgetc(shell)) echoed += static_cast<char>(ch);
        EXPECT_EQ(::pclose(shell), 0) << word;
        EXPECT_EQ(echoed, c.path) << word;
#endif
    }
}

class OperatorStopsTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;
};

// Being changed from the programming mark to the final text; the words after the final text follow
// what the run did to the ECU.
TEST_F(OperatorStopsTest, TheEcuIsBeingChangedFromTheProgrammingMarkToTheFinalText) {
    struct Case {
        Stage stage;
        int32_t marked, ended, finishedOk;
        bool changing;
        EcuState state;
        const char* words;  // the start of the closing words
    };
    using enum Stage;
    const std::string recovery = EcuRecoveryText("");
    const Case cases[] = {
        {Identification, 0, 0, 0, false, EcuState::Untouched, ""},
        {Identification, 0, 1, 0, false, EcuState::Untouched, ""},
        {BaseProgramming, 0, 0, 0, false, EcuState::Untouched, "Nothing on the ECU was changed"},  // key exchange
        {BaseProgramming, 0, 1, 0, false, EcuState::Untouched, "Nothing on the ECU was changed"},
        {BaseProgramming, 1, 0, 0, true, EcuState::Unprogrammed, "The ECU is not programmed"},
        {Completion, 1, 0, 0, true, EcuState::Unprogrammed, "The ECU is not programmed"},
        {Completion, 1, 1, 0, false, EcuState::Unprogrammed, "The ECU is not programmed"},  // a failure of its own
        {Completion, 1, 1, 1, false, EcuState::Programmed, ""},
    };
    for (const Case& c : cases) {
        dlg.sessionStage = c.stage;
        dlg.programmingStarted = c.marked;
        dlg.runEnded = c.ended;
        dlg.finishedOk = c.finishedOk;
        SCOPED_TRACE(std::string(StageName(c.stage)) + " marked " + std::to_string(c.marked) + " ended " +
                     std::to_string(c.ended) + " ok " + std::to_string(c.finishedOk));
        EXPECT_EQ(dlg.EcuBeingChanged(), c.changing);
        EXPECT_EQ(dlg.EcuStateNow(), c.state);
        const std::string words = dlg.ClosingWords(false);
        EXPECT_EQ(words.substr(0, std::string_view(c.words).size()), c.words) << words;
        if (c.state == EcuState::Unprogrammed) {
            EXPECT_EQ(words, recovery);
        }
    }
}

TEST_F(OperatorStopsTest, ClosingWhileTheEcuIsBeingChangedAsksFirstAndNoKeepsTheRun) {
    dlg.OnInitDialog();
    EXPECT_TRUE(dlg.ConfirmClose()) << "before Proceed: closes at once";
    EXPECT_TRUE(host.MessageBoxes().empty());

    dlg.sessionStage = Stage::BaseVerification;
    dlg.programmingStarted = 1;
    host.ScriptYesNoAnswer(MessageResult::No);
    EXPECT_FALSE(dlg.ConfirmClose());
    ASSERT_EQ(host.MessageBoxes().size(), 1u);
    const auto box = host.MessageBoxes()[0];
    EXPECT_EQ(box.buttons, MessageButtons::YesNo);
    EXPECT_EQ(box.caption, "Stop programming?");
    EXPECT_THAT(box.text, HasSubstr("leaves the ECU without a working program"));
    EXPECT_THAT(box.text, HasSubstr("This run kept no journal"));
    EXPECT_THAT(box.text, HasSubstr("Close anyway?"));
    EXPECT_EQ(host.ActiveTimers().size(), 2u) << "No goes on as if nothing happened";

    host.ScriptYesNoAnswer(MessageResult::Yes);
    EXPECT_TRUE(dlg.ConfirmClose());
    dlg.CloseRun();
    EXPECT_TRUE(host.ActiveTimers().empty());
    ASSERT_EQ(host.MessageBoxes().size(), 3u);
    const auto closed = host.MessageBoxes()[2];
    EXPECT_EQ(closed.caption, "ECU not programmed");
    EXPECT_EQ(closed.text, EcuRecoveryText(""));

    // A final text that left the ECU without a program still asks, and the recovery box is not
    // shown twice; after "Finished OK" the window closes at once.
    dlg.runEnded = 1;
    host.ScriptYesNoAnswer(MessageResult::Yes);
    EXPECT_TRUE(dlg.ConfirmClose());
    ASSERT_EQ(host.MessageBoxes().size(), 4u);
    EXPECT_THAT(host.MessageBoxes()[3].text, HasSubstr("left the ECU without a working program"));
    dlg.CloseRun();
    EXPECT_EQ(host.MessageBoxes().size(), 4u);
    dlg.finishedOk = 1;
    EXPECT_TRUE(dlg.ConfirmClose()) << "after Finished OK: closes at once";
    EXPECT_EQ(host.MessageBoxes().size(), 4u);
}

TEST_F(OperatorStopsTest, ALostLineEndsTheRunThroughTheCloseStepsAndABox) {
    struct Case {
        const char* name;
        Stage stage;
        LineLoss loss;
        int32_t marked;
        const char* reason;
        const char* words;
    };
    const Case cases[] = {
        {"reading the ECU", Stage::Identification, LineLoss::Silent, 0,
         "The run has ended: no answer from the adapter for 30 s.", nullptr},
        {"exchanging keys", Stage::BaseProgramming, LineLoss::Silent, 0,
         "The run has ended: no answer from the adapter for 30 s.", "Nothing on the ECU was changed"},
        {"programming", Stage::BaseProgramming, LineLoss::DeviceGone, 1,
         "The run has ended: the line to the adapter was lost.", "The ECU is not programmed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBench bench;
        bench.ports.ports = {1};
        bench.dlg->OnInitDialog();
        bench.dlg->sessionStage = c.stage;
        bench.dlg->programmingStarted = c.marked;
        EXPECT_FALSE(bench.dlg->EndRunOnLostLine(LineLoss::None));
        ASSERT_TRUE(bench.dlg->EndRunOnLostLine(c.loss));
        EXPECT_TRUE(bench.host.ActiveTimers().empty());
        ASSERT_EQ(bench.host.MessageBoxes().size(), 1u);
        const auto box = bench.host.MessageBoxes()[0];
        EXPECT_EQ(box.caption, "Adapter lost");
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
        EXPECT_THAT(box.text, HasSubstr(c.reason));
        EXPECT_THAT(box.text, HasSubstr("Check the adapter's cable and power"));
        EXPECT_EQ(box.text.find("The ECU is not programmed") != std::string::npos, c.marked == 1) << box.text;
        if (c.words) {
            EXPECT_THAT(box.text, HasSubstr(c.words));
        } else {
            EXPECT_EQ(box.text.find("\n\n"), std::string::npos) << box.text;
        }
    }
    dlg.runEnded = 1;
    EXPECT_FALSE(dlg.EndRunOnLostLine(LineLoss::DeviceGone)) << "after the final text nothing is left to end";
}

}  // namespace

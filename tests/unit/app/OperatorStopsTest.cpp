// A run stopped while the ECU is being changed: when that is, what the operator is told to do
// afterwards, and the windows' two ends of a run (closing, a lost line).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/a-b_c.d/x+y,z=1@2%3.journal", "/tmp/a-b_c.d/x+y,z=1@2%3.journal"},
        {"C:\\Users\\ann\\AppData\\Local\\FlashUpdater\\r.journal",
         "C:\\Users\\ann\\AppData\\Local\\FlashUpdater\\r.journal"},
        {"C:\\Users\\Ann Lee\\r.journal", "\"C:\\Users\\Ann Lee\\r.journal\""},
        {"/tmp/it's.journal", "\"/tmp/it's.journal\""},
        {"/tmp/*.journal", "\"/tmp/*.journal\""},
    };
    for (const auto& [path, word] : cases) EXPECT_EQ(CommandLineWord(path), word) << path;
}

class OperatorStopsTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;
};

TEST_F(OperatorStopsTest, TheEcuIsBeingChangedFromProceedToTheFinalText) {
    struct Case {
        Stage stage;
        int32_t ended;
        bool changing;
    };
    using enum Stage;
    for (const Case& c : {Case{Identification, 0, false}, Case{Identification, 1, false},
                          Case{BaseProgramming, 0, true}, Case{Completion, 0, true}, Case{Completion, 1, false}}) {
        dlg.sessionStage = c.stage;
        dlg.runEnded = c.ended;
        EXPECT_EQ(dlg.EcuBeingChanged(), c.changing) << StageName(c.stage) << " " << c.ended;
    }
}

TEST_F(OperatorStopsTest, ClosingWhileTheEcuIsBeingChangedAsksFirstAndNoKeepsTheRun) {
    dlg.OnInitDialog();
    EXPECT_TRUE(dlg.ConfirmClose()) << "before Proceed: closes at once";
    EXPECT_TRUE(host.MessageBoxes().empty());

    dlg.sessionStage = Stage::BaseVerification;
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

    dlg.runEnded = 1;
    EXPECT_TRUE(dlg.ConfirmClose()) << "after the final text: closes at once";
    dlg.CloseRun();
    EXPECT_EQ(host.MessageBoxes().size(), 3u);
}

TEST_F(OperatorStopsTest, ALostLineEndsTheRunThroughTheCloseStepsAndABox) {
    struct Case {
        const char* name;
        Stage stage;
        LineLoss loss;
        const char* reason;
        bool recovery;
    };
    const Case cases[] = {
        {"reading the ECU", Stage::Identification, LineLoss::Silent,
         "The run has ended: no answer from the adapter for 30 s.", false},
        {"programming", Stage::BaseProgramming, LineLoss::DeviceGone,
         "The run has ended: the line to the adapter was lost.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBench bench;
        bench.ports.ports = {1};
        bench.dlg->OnInitDialog();
        bench.dlg->sessionStage = c.stage;
        EXPECT_FALSE(bench.dlg->EndRunOnLostLine(LineLoss::None));
        ASSERT_TRUE(bench.dlg->EndRunOnLostLine(c.loss));
        EXPECT_TRUE(bench.host.ActiveTimers().empty());
        ASSERT_EQ(bench.host.MessageBoxes().size(), 1u);
        const auto box = bench.host.MessageBoxes()[0];
        EXPECT_EQ(box.caption, "Adapter lost");
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
        EXPECT_THAT(box.text, HasSubstr(c.reason));
        EXPECT_THAT(box.text, HasSubstr("Check the adapter's cable and power"));
        EXPECT_EQ(box.text.find("The ECU is not programmed") != std::string::npos, c.recovery) << box.text;
    }
    dlg.runEnded = 1;
    EXPECT_FALSE(dlg.EndRunOnLostLine(LineLoss::DeviceGone)) << "after the final text nothing is left to end";
}

}  // namespace

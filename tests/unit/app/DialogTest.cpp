#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "TestBench.h"
#include "app/ControlIds.h"
#include "app/Texts.h"

namespace {

using ::testing::ElementsAre;

class DialogTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;

    bool AnyPending() const {
        return std::any_of(dlg.scheduler.pendingFlags.begin(), dlg.scheduler.pendingFlags.end(),
                           [](const auto& f) { return f != 0; });
    }
};

TEST_F(DialogTest, InitialisationSetsUpTheWindowAndStartsTheHunt) {
    bench.ports.ports = {3, 5};
    dlg.savedMarks[7] = 1;
    dlg.requestTable[1].body[2] = 0;
    ASSERT_TRUE(dlg.OnInitDialog());

    EXPECT_EQ(host.Title(), "Ombrix Flash Update [K410/K411/K412/M530/P640] V1.0");
    EXPECT_EQ(host.ItemText(ControlId::RadioGen1_2M), "K410 (Gen1 2M)");
    EXPECT_EQ(host.ItemText(ControlId::RadioGen1_3M), "K411 (Gen1 3M)");
    EXPECT_EQ(host.ItemText(ControlId::RadioGen2), "K412 (Gen2)");
    for (int id : {ControlId::RadioGen1_2M, ControlId::RadioGen1_3M, ControlId::RadioGen2})
        EXPECT_FALSE(host.IsVisible(id)) << id;
    for (int id : kEcuFieldIds) EXPECT_FALSE(host.IsVisible(id)) << id;
    EXPECT_TRUE(host.IsVisible(ControlId::BusyIndicator));
    EXPECT_EQ(host.StatusHistory().size(), 0u) << "the status line keeps its template text";

    const auto log = host.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "menu 16 &About Flash..."), log.end());

    EXPECT_EQ(dlg.portCount, 2);
    EXPECT_EQ(dlg.PortList[0], 3);
    EXPECT_EQ(dlg.PortList[1], 5);
    EXPECT_EQ(dlg.sessionStage, Stage::Identification);
    EXPECT_EQ(std::memcmp(&dlg.requestTable, &RequestTable, sizeof RequestTable), 0);
    EXPECT_TRUE(std::all_of(dlg.savedMarks.begin(), dlg.savedMarks.end(), [](int32_t m) { return m == 0; }));
    EXPECT_EQ(host.ActiveTimers(), (std::map<int, uint32_t>{{1100, 50}, {1101, 250}}));

    const CTqBusyProgressCtrl& busy = dlg.busyIndicator;
    EXPECT_EQ(busy.BlockCount(), 10);
    EXPECT_EQ(busy.Spacing(), 2);
    EXPECT_EQ(busy.Motion(), CTqBusyProgressCtrl::Bounce);
    EXPECT_EQ(busy.BlockColour(), (Colour{160, 190, 220}));
    EXPECT_EQ(busy.BlockOutlineColour(), (Colour{40, 70, 110}));
    EXPECT_EQ(busy.ActiveColour(), (Colour{190, 220, 255}));
    EXPECT_EQ(busy.ActiveOutlineColour(), (Colour{40, 70, 110}));
}

TEST_F(DialogTest, ThePortListHoldsAtMost255Ports) {
    for (int32_t n = 1; n <= 300; ++n) bench.ports.ports.push_back(n);
    dlg.EnumeratePorts();
    EXPECT_EQ(dlg.portCount, 255);
    EXPECT_EQ(dlg.PortList[254], 255);
}

TEST_F(DialogTest, ResetSessionClearsTheRunAndRestartsBothTimers) {
    dlg.OnInitDialog();
    dlg.dongleVersion = 123;
    dlg.tagIndex = 9;
    dlg.addressRetries = 2;
    dlg.baseChecksumFailures = 1;
    dlg.upperChecksumFailures = 2;
    dlg.secondKeyTried = 1;
    dlg.blockIndex = 4;
    dlg.modelKnown = 1;
    dlg.modelCode = 17;
    dlg.variant = 3;
    dlg.softwareVersionNumber = 477;
    dlg.scheduler.awaitingResponse = 1;
    dlg.scheduler.scanCursor = 99;
    dlg.scheduler.responseTimeoutTicks = 12;
    for (auto& f : dlg.scheduler.pendingFlags) f = 1;
    // What the reset must leave alone.
    dlg.sessionStage = Stage::Restore;
    dlg.resetByService = 1;
    dlg.imageIndex = 4;
    dlg.lastBaseTag = 600;
    dlg.BaseContainer[0][0] = 0xC6;
    dlg.portCount = 1;
    dlg.PortList[0] = 7;

    const size_t logStart = host.Log().size();
    dlg.ResetSession();

    EXPECT_EQ(dlg.dongleVersion, -1);
    for (int32_t v : {dlg.tagIndex.load(), dlg.addressRetries, dlg.baseChecksumFailures, dlg.upperChecksumFailures,
                      dlg.secondKeyTried, int32_t{dlg.blockIndex}, dlg.modelKnown, dlg.modelCode, dlg.variant,
                      dlg.softwareVersionNumber, dlg.scheduler.awaitingResponse.load(),
                      int32_t{dlg.scheduler.scanCursor}, int32_t{dlg.scheduler.responseTimeoutTicks}})
        EXPECT_EQ(v, 0);
    EXPECT_FALSE(AnyPending());

    EXPECT_EQ(dlg.sessionStage, Stage::Restore);
    EXPECT_EQ(dlg.resetByService, 1);
    EXPECT_EQ(dlg.imageIndex, 4);
    EXPECT_EQ(dlg.lastBaseTag, 600);
    EXPECT_EQ(dlg.BaseContainer[0][0], 0xC6);
    EXPECT_EQ(dlg.portCount, 1);
    EXPECT_EQ(dlg.PortList[0], 7);

    // Timers are stopped first and started last.
    const auto log = host.Log();
    std::vector<std::string> timerCalls;
    for (size_t i = logStart; i < log.size(); ++i)
        if (log[i].find("timer") != std::string::npos) timerCalls.push_back(log[i]);
    EXPECT_THAT(timerCalls,
                ElementsAre("kill-timer 1100", "kill-timer 1101", "set-timer 1100 50", "set-timer 1101 250"));
    EXPECT_EQ(log[logStart], "kill-timer 1100");
    EXPECT_EQ(log.back(), "set-timer 1101 250");
}

TEST_F(DialogTest, ProceedAfterTheStartOnlyEmptiesTheStatusLine) {
    dlg.OnInitDialog();
    for (int32_t stage : {1, 3, 6}) {
        dlg.sessionStage = Stage(stage);
        host.SetItemText(ControlId::StatusLine, "Writing (Base) - 50%");
        dlg.OnProceed();
        EXPECT_FALSE(host.IsEnabled(ControlId::Proceed));
        EXPECT_EQ(host.StatusText(), "");
        EXPECT_EQ(dlg.sessionStage, Stage(stage));
        EXPECT_FALSE(AnyPending());
    }
}

TEST_F(DialogTest, ProceedWithoutAChosenImageOnlyDisablesTheButton) {
    dlg.OnInitDialog();
    dlg.SRecordText[10] = 'S';
    dlg.OnProceed();
    EXPECT_FALSE(host.IsEnabled(ControlId::Proceed));
    EXPECT_EQ(dlg.sessionStage, Stage::Identification);
    EXPECT_EQ(dlg.SRecordText[10], 0) << "the text buffer is cleared before every load";
    EXPECT_TRUE(host.StatusHistory().empty());
    EXPECT_TRUE(host.MessageBoxes().empty());
    EXPECT_FALSE(AnyPending());
}

TEST_F(DialogTest, ProceedLoadsTheChosenImageAndStartsProgramming) {
    dlg.OnInitDialog();
    dlg.imageIndex = 4;
    dlg.ShowEcuFields(true);
    dlg.OnProceed();
    EXPECT_EQ(dlg.sessionStage, Stage::BaseProgramming);
    EXPECT_GE(dlg.lastUpperTag, 0);
    EXPECT_FALSE(host.IsEnabled(ControlId::Proceed));
    for (int id : {ControlId::RadioGen1_2M, ControlId::RadioGen1_3M, ControlId::RadioGen2})
        EXPECT_FALSE(host.IsVisible(id)) << id;
    for (int id : kEcuFieldIds) EXPECT_FALSE(host.IsVisible(id)) << id;
    EXPECT_TRUE(host.IsVisible(ControlId::BusyIndicator));
    EXPECT_EQ(dlg.scheduler.pendingFlags[Row::SeedLevel7], 1);
    EXPECT_EQ(std::count(dlg.scheduler.pendingFlags.begin(), dlg.scheduler.pendingFlags.end(), 1), 1);
}

TEST_F(DialogTest, ProceedWithAnImageTheReaderRefusesStaysAtTheStart) {
    dlg.OnInitDialog();
    const std::string text = "S5050000000AF0\r\n";
    dlg.findImageResource = [&text](int32_t) {
        return std::optional(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    };
    dlg.imageIndex = 1;
    dlg.OnProceed();
    EXPECT_EQ(dlg.sessionStage, Stage::Identification);
    EXPECT_EQ(host.StatusText(), "Error - Incorrect Number of S-Records !");
    EXPECT_FALSE(host.IsVisible(ControlId::BusyIndicator));
    EXPECT_FALSE(host.IsEnabled(ControlId::Proceed));
    EXPECT_FALSE(AnyPending());
}

TEST_F(DialogTest, RadioButtonsChooseAnImageAndEnableProceed) {
    struct Case {
        int controlId;
        int32_t image;
        const char* status;
    };
    for (const Case& c : {Case{ControlId::RadioGen1_2M, 1, "Pre-loaded with K410"},
                          Case{ControlId::RadioGen1_3M, 2, "Pre-loaded with K411"},
                          Case{ControlId::RadioGen2, 3, "Pre-loaded with K412"}}) {
        host.EnableItem(ControlId::Proceed, false);
        dlg.OnRadioButton(c.controlId);
        EXPECT_EQ(dlg.imageIndex, c.image);
        EXPECT_EQ(host.StatusText(), c.status);
        EXPECT_TRUE(host.IsEnabled(ControlId::Proceed));
    }
}

TEST_F(DialogTest, TheAboutBoxOpensFromItsSystemMenuEntryOnly) {
    dlg.OnSysCommand(0x10);
    dlg.OnSysCommand(0x13);  // the low four bits carry nothing
    dlg.OnSysCommand(0xF060);
    dlg.OnSysCommand(0x20);
    EXPECT_THAT(host.AboutBoxTexts(), ElementsAre(Text::WindowTitle, Text::WindowTitle));
}

TEST_F(DialogTest, TheSchedulerTimerDrivesTheScheduler) {
    dlg.OnInitDialog();
    bench.port.Open(1);
    dlg.scheduler.pendingFlags[Row::InterfaceVersion] = 1;
    bench.RunFor(50);
    ASSERT_EQ(bench.port.Writes().size(), 1u);
    EXPECT_EQ(bench.port.Writes()[0], (Bytes{0x02, 0x90, 0x92}));
}

}  // namespace

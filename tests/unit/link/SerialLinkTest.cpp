#include <gtest/gtest.h>

#include <chrono>

#include "TestBench.h"
#include "app/ControlIds.h"

namespace {

using namespace std::chrono_literals;

class SerialLinkTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    FakeSerialPort& port = bench.port;
    ScriptedDialogHost& host = bench.host;
};

TEST_F(SerialLinkTest, OnlySelectorOneGivesTheHighSpeed) {
    ASSERT_TRUE(dlg.OpenPort(4));
    EXPECT_EQ(port.Baud(), 9600u);
    for (auto [selector, baud] : {std::pair{1, 38400u}, {0, 9600u}, {1, 38400u}, {2, 9600u}, {-1, 9600u}}) {
        EXPECT_TRUE(dlg.SetLineSpeed(selector));
        EXPECT_EQ(port.Baud(), baud) << selector;
        EXPECT_EQ(dlg.lineSpeed, baud) << selector;
    }
}

TEST_F(SerialLinkTest, SpeedSwitchIsTheAdaptersThreeByteCommand) {
    ASSERT_TRUE(dlg.OpenPort(1));
    dlg.SendSpeedSwitch();
    EXPECT_EQ(port.Writes(), (std::vector<Bytes>{{0x02, 0x94, 0x96}}));
}

TEST_F(SerialLinkTest, APortThatRefusesTheLineSettingIsNotKept) {
    port.RefuseSpeedChanges(true);
    EXPECT_FALSE(dlg.OpenPort(2));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.CloseCount(), 1);
}

TEST_F(SerialLinkTest, ClosingEndsTheReceiveThreadBeforeTheNextOneStarts) {
    for (int32_t number : {1, 2, 3}) {
        ASSERT_TRUE(dlg.OpenPort(number));
        dlg.StartCommThread();
        dlg.ClosePort();
        EXPECT_EQ(bench.link.Readers(), 0);
        EXPECT_FALSE(dlg.commThread.Exists());
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(bench.link.MostReaders(), 1);
}

TEST_F(SerialLinkTest, StopLinkStopsBothTimersAndTheThreadAndClosesThePort) {
    bench.ports.ports = {1};
    dlg.OnInitDialog();
    ASSERT_TRUE(bench.FireTimer(TimerId::Connection));
    ASSERT_TRUE(dlg.commThread.Exists());
    dlg.OnClose();
    EXPECT_TRUE(host.ActiveTimers().empty());
    EXPECT_FALSE(dlg.commThread.Exists());
    EXPECT_FALSE(port.IsOpen());
}

// The receive thread's window calls are synchronous calls into the user-interface thread. Here
// the thread is stuck in its "Comm Thread Error" box, which only the user-interface thread can
// show, while that thread closes the port and waits for the receive thread to end.
TEST_F(SerialLinkTest, ClosingWhileTheReceiveThreadWaitsForTheWindowDoesNotDeadlock) {
    host.BecomeUiThread();
    port.SetReaderSetup(SerialPort::ReaderSetup::NoWaitObject);
    ASSERT_TRUE(dlg.OpenPort(1));
    dlg.StartCommThread();
    ASSERT_TRUE(host.AwaitWaitingCall(10s));

    dlg.ClosePort();

    EXPECT_FALSE(dlg.commThread.Exists());
    EXPECT_FALSE(port.IsOpen());
    const auto boxes = host.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Comm Thread Error");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Error);
}

TEST_F(SerialLinkTest, AThreadThatCannotWatchThePortEndsWithoutAMessage) {
    port.SetReaderSetup(SerialPort::ReaderSetup::Refused);
    ASSERT_TRUE(dlg.OpenPort(1));
    dlg.StartCommThread();
    dlg.ClosePort();
    EXPECT_TRUE(host.MessageBoxes().empty());
    EXPECT_EQ(bench.link.WaitsEntered(), 0);
}

// A stop asked for before the thread has got going is not lost: the thread does not clear it.
TEST_F(SerialLinkTest, AStopRightAfterTheStartIsNotLost) {
    for (int round = 0; round < 50; ++round) {
        ASSERT_TRUE(dlg.OpenPort(1));
        dlg.StartCommThread();
        dlg.ClosePort();
    }
    EXPECT_EQ(bench.link.Readers(), 0);
}

}  // namespace

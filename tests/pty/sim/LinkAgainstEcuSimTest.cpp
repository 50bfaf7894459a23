// The program's own port layer and receive thread against ecu-sim over a pseudo-terminal: the
// hunt connects, and after the speed switch the two sides talk at 38400 baud. The dialog's timers
// run in virtual time; the test waits on the receive thread and on ecu-sim's trace, never on time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EcuSimProcess.h"
#include "TestBench.h"
#include "app/ControlIds.h"
#include "link/ConnectionSequence.h"
#include "link/RequestTable.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

using ::testing::ElementsAre;

constexpr size_t kVersionAnswerSize = 7;

TEST(LinkAgainstEcuSim, ConnectsAndTalksAtTheHighSpeedAfterTheSwitch) {
    ConnectState() = 0;
    CandidateIndex() = 0;
    EcuSimProcess sim({"--trace"});
    ASSERT_FALSE(sim.SlavePath().empty());
    PosixSerialPort device({sim.SlavePath()});
    TestBench bench(device);
    CFlashDlg& dlg = *bench.dlg;
    bench.ports.ports = {1};
    dlg.OnInitDialog();

    // Once the version query is out, the answer is handled before the next tick. The date read
    // that the connection hands over to is withdrawn: the line is kept to the adapter's frames.
    bool dateRequested = false;
    bench.RunFor(2000, [&](int timerId) {
        if (bench.link.BytesWritten() > 0) {
            ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(kVersionAnswerSize));
        }
        if (timerId == TimerId::Connection && dlg.scheduler.pendingFlags[Row::ReadDate] == 1) {
            dateRequested = true;
            dlg.scheduler.pendingFlags[Row::ReadDate] = 0;
        }
    });
    EXPECT_TRUE(dateRequested);
    EXPECT_THAT(bench.host.StatusHistory(),
                ElementsAre("Connecting to Com Port  [  1  ]", "Connected to Com Port  [  1  ]"));
    EXPECT_EQ(dlg.dongleVersion, 123);

    dlg.SendSpeedSwitch();
    ASSERT_TRUE(sim.WaitForTrace("adapter at 38400 baud"));
    ASSERT_TRUE(dlg.SetLineSpeed(1));
    dlg.scheduler.pendingFlags[Row::InterfaceVersion] = 1;
    dlg.dongleVersion = -1;
    bench.FireTimer(TimerId::Scheduler);
    ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(2 * kVersionAnswerSize));
    EXPECT_EQ(dlg.dongleVersion, 123);
    EXPECT_EQ(dlg.scheduler.pendingFlags[Row::InterfaceVersion], 0);

    dlg.OnClose();
    ConnectState() = 0;
    CandidateIndex() = 0;
}

}  // namespace

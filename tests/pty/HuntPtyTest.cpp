#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "LockOwners.h"
#include "PseudoTerminal.h"
#include "TemporaryFolder.h"
#include "TestBench.h"
#include "app/ControlIds.h"
#include "link/ConnectionSequence.h"
#include "link/RequestTable.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

using ::testing::ElementsAre;

const Bytes kVersionQuery{0x02, 0x90, 0x92};
const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

// The far ends of the lines: takes in what the program wrote and answers the version query on
// the line with an adapter behind it.
class FarEnds {
public:
    FarEnds(PseudoTerminal& silent, PseudoTerminal& adapter) : silent_(silent), adapter_(adapter) {}

    // Waits until `written` bytes have arrived in all, then answers; returns the bytes sent back
    // so far.
    size_t Serve(size_t written) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        Bytes toAdapter;
        while (seen_ < written && std::chrono::steady_clock::now() < end) {
            pollfd masters[2] = {{silent_.MasterFd(), POLLIN, 0}, {adapter_.MasterFd(), POLLIN, 0}};
            ::poll(masters, 2, 100);
            seen_ += silent_.ReadAvailable().size();
            const Bytes got = adapter_.ReadAvailable();
            seen_ += got.size();
            toAdapter.insert(toAdapter.end(), got.begin(), got.end());
        }
        EXPECT_EQ(seen_, written);
        for (auto at = toAdapter.begin();
             (at = std::search(at, toAdapter.end(), kVersionQuery.begin(), kVersionQuery.end())) != toAdapter.end();
             at += static_cast<long>(kVersionQuery.size())) {
            adapter_.Write(kVersionAnswer);
            answered_ += kVersionAnswer.size();
        }
        return answered_;
    }

private:
    PseudoTerminal& silent_;
    PseudoTerminal& adapter_;
    size_t seen_ = 0;
    size_t answered_ = 0;
};

std::string Connecting(int n) { return "Connecting to Com Port  [  " + std::to_string(n) + "  ]"; }
std::string Connected(int n) { return "Connected to Com Port  [  " + std::to_string(n) + "  ]"; }

TEST(HuntPtyTest, PassesOverASilentPortConnectsToTheAdapterAndKeepsItAcrossAReset) {
    ConnectState() = 0;
    CandidateIndex() = 0;
    PseudoTerminal silent;
    PseudoTerminal adapter;
    PosixSerialPort device({silent.SlavePath(), adapter.SlavePath()});
    TestBench bench(device);
    CFlashDlg& dlg = *bench.dlg;
    bench.ports.ports = PosixPortEnumerator({"a", "b"}).UsablePorts();
    FarEnds farEnds(silent, adapter);
    dlg.OnInitDialog();

    int connectionTicks = 0;
    int silentClosedAtTick = 0;
    // After every tick the far ends answer and the receive thread handles the answer, as the
    // real line's short delay would allow before the next tick.
    const auto settle = [&](int timerId) {
        ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(farEnds.Serve(bench.link.BytesWritten())));
        if (timerId != TimerId::Connection) return;
        ++connectionTicks;
        if (!silentClosedAtTick && silent.SlaveClosed()) silentClosedAtTick = connectionTicks;
    };
    bench.RunFor(4000, settle);

    // Open, ask, then four tests: the silent port is given up on the sixth tick.
    EXPECT_EQ(silentClosedAtTick, 6);
    EXPECT_FALSE(adapter.SlaveClosed());
    EXPECT_THAT(bench.host.StatusHistory(), ElementsAre(Connecting(1), Connecting(2), Connected(2)));
    EXPECT_EQ(dlg.dongleVersion, 123);
    EXPECT_EQ(dlg.scheduler.pendingFlags[Row::ReadDate], 1);
    EXPECT_EQ(bench.link.MostReaders(), 1);

    dlg.ResetSession();
    bench.RunFor(250, settle);
    EXPECT_THAT(bench.host.StatusHistory(), ElementsAre(Connecting(1), Connecting(2), Connected(2), Connected(2)));
    EXPECT_FALSE(adapter.SlaveClosed()) << "the port stays open";
    EXPECT_EQ(bench.link.Readers(), 1);
    EXPECT_EQ(dlg.scheduler.pendingFlags[Row::ReadDate], 1);
    EXPECT_FALSE(bench.host.ActiveTimers().count(TimerId::Connection));

    dlg.OnClose();
    EXPECT_TRUE(adapter.SlaveClosed());
    ConnectState() = 0;
    CandidateIndex() = 0;
}

// Another program's port is passed over without being opened, and every port the hunt opened
// gets its line settings back: the silent one when it is given up, the adapter's at the close.
TEST(HuntPtyTest, PassesOverALockedPortAndLeavesEveryLineAsItFoundIt) {
    ConnectState() = 0;
    CandidateIndex() = 0;
    PseudoTerminal locked;
    PseudoTerminal silent;
    PseudoTerminal adapter;
    TemporaryFolder locks;
    const std::string theirs = HdbLockContent(::getppid());
    TemporaryFolder::WriteAll(locks.File(UucpLockName(locked.SlavePath())), theirs);
    const auto settings = [&] {
        std::vector<std::string> all;
        for (const PseudoTerminal* line : {&locked, &silent, &adapter})
            all.push_back(LineSettingsText(line->SlaveSettings()));
        return all;
    };
    const std::vector<std::string> before = settings();
    PosixSerialPort device({locked.SlavePath(), silent.SlavePath(), adapter.SlavePath()}, locks.Path().string());
    TestBench bench(device);
    CFlashDlg& dlg = *bench.dlg;
    bench.ports.ports = {1, 2, 3};
    FarEnds farEnds(silent, adapter);
    dlg.OnInitDialog();

    bool lockedInUse = false;
    bench.RunFor(4000, [&](int) {
        ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(farEnds.Serve(bench.link.BytesWritten())));
        const std::vector<PortAttempt> latest = dlg.hunt.Latest();
        lockedInUse = lockedInUse || (!latest.empty() && latest[0] == PortAttempt{1, PortOutcome::InUse});
    });
    EXPECT_TRUE(lockedInUse);
    EXPECT_THAT(bench.host.StatusHistory(), ElementsAre(Connecting(2), Connecting(3), Connected(3)));
    EXPECT_NE(LineSettingsText(adapter.SlaveSettings()), before[2]) << "set up while in use";

    dlg.OnClose();
    EXPECT_EQ(settings(), before);
    EXPECT_TRUE(locked.ReadAvailable().empty());
    EXPECT_THAT(locks.Names(), ElementsAre(UucpLockName(locked.SlavePath())));
    EXPECT_EQ(TemporaryFolder::ReadAll(locks.File(UucpLockName(locked.SlavePath()))), theirs);
    ConnectState() = 0;
    CandidateIndex() = 0;
}

}  // namespace

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ComPortPeer.h"
#include "TestBench.h"
#include "app/ControlIds.h"
#include "link/ConnectionSequence.h"
#include "link/RequestTable.h"
#include "platform/win32/Win32SerialPort.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

constexpr int kSilentPort = 5;
constexpr int kAdapterPort = 6;
const Bytes kVersionQuery{0x02, 0x90, 0x92};
const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

// The far ends of COM5 (nothing behind it) and COM6 (an adapter that answers its version query).
class FarEnds {
public:
    explicit FarEnds(ComPortPeer& peer) : peer_(peer) {}

    // Takes in what the program wrote until `written` bytes have come in all, answers every
    // version query on the adapter's port and returns the bytes sent back so far.
    size_t Serve(size_t written) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        Bytes toAdapter;
        while (seen_ < written && std::chrono::steady_clock::now() < end) {
            seen_ += peer_.Received(kSilentPort, written - seen_, 5ms).size();
            const Bytes got = peer_.Received(kAdapterPort, written - seen_, 20ms);
            seen_ += got.size();
            toAdapter.insert(toAdapter.end(), got.begin(), got.end());
        }
        EXPECT_EQ(seen_, written);
        for (auto at = toAdapter.begin();
             (at = std::search(at, toAdapter.end(), kVersionQuery.begin(), kVersionQuery.end())) != toAdapter.end();
             at += static_cast<long>(kVersionQuery.size())) {
            peer_.Send(kAdapterPort, kVersionAnswer);
            answered_ += kVersionAnswer.size();
        }
        return answered_;
    }

private:
    ComPortPeer& peer_;
    size_t seen_ = 0;
    size_t answered_ = 0;
};

std::string Connecting(int n) { return "Connecting to Com Port  [  " + std::to_string(n) + "  ]"; }
std::string Connected(int n) { return "Connected to Com Port  [  " + std::to_string(n) + "  ]"; }

TEST(Win32HuntTest, PassesOverASilentComPortAndConnectsToTheAdapterWithTheLinksOwnThread) {
    ComPortPeer peer;
    ASSERT_TRUE(peer.Connected()) << "runs under com_port_peer.py, which plays the far end";
    ConnectState() = 0;
    CandidateIndex() = 0;
    Win32SerialPort device;
    TestBench bench(device);
    CFlashDlg& dlg = *bench.dlg;
    bench.ports.ports = {kSilentPort, kAdapterPort};  // Wine may add COM ports of its own
    FarEnds farEnds(peer);
    dlg.OnInitDialog();

    const auto settle = [&](int) {
        ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(farEnds.Serve(bench.link.BytesWritten())));
    };
    bench.RunFor(4000, settle);

    EXPECT_THAT(bench.host.StatusHistory(),
                ElementsAre(Connecting(kSilentPort), Connecting(kAdapterPort), Connected(kAdapterPort)));
    EXPECT_EQ(dlg.dongleVersion, 123);
    EXPECT_EQ(dlg.scheduler.pendingFlags[Row::ReadDate], 1);
    EXPECT_EQ(bench.link.MostReaders(), 1) << "the silent port's receive thread ended first";
    EXPECT_EQ(peer.LineSetting(kAdapterPort), "9600 9600 8N1 crtscts=0 ixon=0 ixoff=0");

    dlg.OnClose();
    EXPECT_FALSE(device.IsOpen());
    ConnectState() = 0;
    CandidateIndex() = 0;
}

}  // namespace

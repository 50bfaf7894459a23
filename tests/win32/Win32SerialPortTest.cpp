#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "ComPortPeer.h"
#include "platform/win32/Win32PortEnumerator.h"
#include "platform/win32/Win32SerialPort.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// com_port_peer.py links these two; no other port of the prefix is expected to open.
constexpr int kPort = 5;
constexpr int kOtherPort = 6;
constexpr int kAbsentPort = 7;
constexpr char kRaw8N1[] = "8N1 crtscts=0 ixon=0 ixoff=0";

class Win32SerialPortTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.Connected()) << "runs under com_port_peer.py, which plays the far end";
        ASSERT_TRUE(port.Open(kPort));
        ASSERT_EQ(port.StartReading(), SerialPort::ReaderSetup::Ready);
    }

    std::string Setting() { return peer.LineSetting(kPort); }

    // Reads until `count` bytes have come or the port reports no more within the waits.
    Bytes ReadBytes(size_t count) {
        Bytes got;
        while (got.size() < count && port.WaitForInput() == SerialPort::WaitResult::DataAvailable) {
            uint8_t chunk[256];
            const size_t n = port.Read(chunk, std::min(sizeof chunk, count - got.size()));
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    ComPortPeer peer;
    Win32SerialPort port;
};

TEST_F(Win32SerialPortTest, OpensByComNumberRawAt9600AndSwitchesSpeed) {
    EXPECT_EQ(Setting(), std::string("9600 9600 ") + kRaw8N1);
    for (const uint32_t baud : {38400u, 9600u}) {
        ASSERT_TRUE(port.SetBaudRate(baud));
        EXPECT_EQ(Setting(), std::to_string(baud) + " " + std::to_string(baud) + " " + kRaw8N1);
    }
    EXPECT_FALSE(port.Open(kPort)) << "already open";
    Win32SerialPort absent;
    EXPECT_FALSE(absent.Open(kAbsentPort));
    EXPECT_FALSE(absent.IsOpen());
}

TEST_F(Win32SerialPortTest, TheEnumeratorListsTheLinkedPortsEvenWhenOneIsInUse) {
    const std::vector<int32_t> listed = Win32PortEnumerator().UsablePorts();
    EXPECT_NE(std::find(listed.begin(), listed.end(), kPort), listed.end()) << "held open by this test";
    EXPECT_NE(std::find(listed.begin(), listed.end(), kOtherPort), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), kAbsentPort), listed.end());
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
}

TEST_F(Win32SerialPortTest, BytesPassBothWaysUnchanged) {
    Bytes everyValue(256);
    for (size_t i = 0; i < everyValue.size(); ++i) everyValue[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(port.Write(everyValue.data(), everyValue.size()));
    EXPECT_EQ(peer.Received(kPort, everyValue.size(), 5s), everyValue);

    peer.Send(kPort, everyValue);
    EXPECT_EQ(ReadBytes(everyValue.size()), everyValue);
}

TEST_F(Win32SerialPortTest, CloseAndInterruptWakeAPendingWait) {
    for (const bool byClose : {false, true}) {
        SCOPED_TRACE(byClose ? "Close" : "Interrupt");
        auto waiting = std::async(std::launch::async, [&] { return port.WaitForInput(); });
        EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout) << "nothing arrived";
        const auto start = std::chrono::steady_clock::now();
        if (byClose)
            port.Close();
        else
            port.Interrupt();
        ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(waiting.get(), SerialPort::WaitResult::Interrupted);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open(kPort)) << "the port was released";
}

TEST_F(Win32SerialPortTest, AWriteLeavesThePendingWaitInPlace) {
    auto waiting = std::async(std::launch::async, [&] { return ReadBytes(3); });
    ASSERT_EQ(waiting.wait_for(200ms), std::future_status::timeout);
    const Bytes request{0x02, 0x90, 0x92};
    ASSERT_TRUE(port.Write(request.data(), request.size()));
    EXPECT_EQ(peer.Received(kPort, request.size(), 5s), request);
    EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout) << "a write is not received data";

    const Bytes answer{0x03, 0x50, 0x84};
    peer.Send(kPort, answer);
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(waiting.get(), answer);
}

}  // namespace

namespace {

TEST_F(Win32SerialPortTest, AWriteIntoALineThatStoppedDrainingGivesUp) {
    // The far end reads nothing: the pseudo-terminal's queue fills and the line stalls.
    const Bytes flood(1 << 20, 0x55);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.Write(flood.data(), flood.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(port.IsOpen());
}

}  // namespace

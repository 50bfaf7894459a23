// A line whose far end stops taking bytes: the output queue fills and stays full.
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "PseudoTerminal.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

// Writes frames until one is refused: the queue is then full.
void FillOutputQueue(PosixSerialPort& port) {
    const std::vector<uint8_t> frame(199, 0x55);
    for (int i = 0; i < 10000; ++i)
        if (!port.Write(frame.data(), frame.size())) return;
    FAIL() << "the output queue never filled";
}

TEST(StalledWritePtyTest, AWriteIntoAQueueThatStoppedDrainingGivesUp) {
    PseudoTerminal line;
    PosixSerialPort port({line.SlavePath()});
    ASSERT_TRUE(port.Open(1));
    FillOutputQueue(port);
    const std::vector<uint8_t> frame(199, 0x55);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.Write(frame.data(), frame.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    port.Close();
}

TEST(StalledWritePtyTest, ClosingWakesAWriteWaitingForRoom) {
    PseudoTerminal line;
    PosixSerialPort port({line.SlavePath()});
    ASSERT_TRUE(port.Open(1));
    FillOutputQueue(port);
    // Keep a writer waiting in the full queue while the port closes.
    std::promise<void> writing;
    auto writer = std::async(std::launch::async, [&] {
        const std::vector<uint8_t> frame(199, 0x55);
        writing.set_value();
        for (int i = 0; i < 1000; ++i)
            if (!port.Write(frame.data(), frame.size()) && !port.IsOpen()) return;
    });
    writing.get_future().wait();
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms) << "the close waited for the stalled write";
    EXPECT_EQ(writer.wait_for(5s), std::future_status::ready);
}

}  // namespace

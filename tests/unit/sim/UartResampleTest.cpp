#include <gtest/gtest.h>

#include "sim/FrameAssembler.h"
#include "sim/UartResample.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(UartResample, SameSpeedPassesBytesUnchanged) {
    const Bytes bytes{0x00, 0x55, 0xAA, 0xFF, 0x02, 0x90, 0x92};
    EXPECT_EQ(sim::UartResample(bytes, 9600, 9600), bytes);
    EXPECT_TRUE(sim::UartResample(bytes, 0, 9600).empty());
    EXPECT_TRUE(sim::UartResample(bytes, 9600, 0).empty());
}

TEST(UartResample, SlowSenderLooksLikeLongLowBitsToAFastReceiver) {
    // 0x00 at 9600 holds the line low for 36 bit times at 38400, then high for 4: three bytes
    // with framing errors (read as 0), then one that starts 28.5 bit times in and catches the
    // stop bit in its bits 6 and 7.
    EXPECT_EQ(sim::UartResample(Bytes{0x00}, 9600, 38400), (Bytes{0x00, 0x00, 0x00, 0xC0}));
}

TEST(UartResample, FastSenderGivesFewerBytesToASlowReceiver) {
    const Bytes sent{0x06, 0xD0, 0x00, '1', '2', '3', 0x3C};
    const Bytes received = sim::UartResample(sent, 38400, 9600);
    EXPECT_LT(received.size(), sent.size());
    EXPECT_FALSE(received.empty());
}

TEST(UartResample, RequestsAtTheWrongSpeedNeverMakeAFrame) {
    for (auto [tx, rx] : {std::pair{9600u, 38400u}, std::pair{38400u, 9600u}}) {
        for (const Bytes& request : {Bytes{0x02, 0x90, 0x92}, Bytes{0x03, 0x21, 0xAC, 0xD0}, Bytes{0x02, 0x94, 0x96}}) {
            sim::FrameAssembler assembler;
            for (uint8_t b : sim::UartResample(request, tx, rx))
                EXPECT_NE(assembler.Push(b, 0), sim::FrameAssembler::Result::Frame);
        }
    }
}

TEST(UartResample, ByteEndRoundsUp) {
    EXPECT_EQ(sim::ByteEndUs(0, 9600), 1042u);
    EXPECT_EQ(sim::ByteEndUs(2, 9600), 3125u);
    EXPECT_EQ(sim::ByteEndUs(198, 38400), 51823u);
}

}  // namespace

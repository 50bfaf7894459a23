// The wire trace: each frame one line with time, speed, direction and bytes; received bytes are
// cut into frames by their length byte, whatever chunks they arrive in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "FakeSerialPort.h"
#include "ui/console/TracingSerialPort.h"

namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines without their time stamps (up to the blank after the milliseconds).
std::vector<std::string> Untimed(const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& line : Lines(text)) {
        const size_t dot = line.find('.');
        lines.push_back(line[0] == ' ' && dot != std::string::npos ? line.substr(dot + 5) : line);
    }
    return lines;
}

TEST(TracingSerialPort, TracesFramesBothWaysAtTheirSpeedAndPassesEverythingThrough) {
    FakeSerialPort device;
    std::ostringstream trace;
    TracingSerialPort port(device, trace);
    ASSERT_TRUE(port.Open(1));
    const uint8_t query[] = {0x02, 0x90, 0x92};
    ASSERT_TRUE(port.Write(query, sizeof query));
    // The answer and the next one arrive in chunks that cut through both.
    device.Deliver({0x06, 0xD0, 0x00, 0x31});
    uint8_t buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 4u);
    device.Deliver({0x32, 0x33, 0x6C, 0x03, 0x50});
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 5u);
    EXPECT_EQ(buffer[3], 0x03);
    ASSERT_TRUE(port.SetBaudRate(38400));  // the rest of the second frame never comes
    const uint8_t switchSpeed[] = {0x02, 0x94, 0x96};
    ASSERT_TRUE(port.Write(switchSpeed, sizeof switchSpeed));
    port.Note("frame dropped (wrong sum): 03 50 84 D8");
    port.Close();

    EXPECT_THAT(device.Writes(), ElementsAre(Bytes{0x02, 0x90, 0x92}, Bytes{0x02, 0x94, 0x96}));
    EXPECT_EQ(device.Baud(), 38400u);
    EXPECT_THAT(Untimed(trace.str()), ElementsAre("port 1 opened", " 9600 tx 02 90 92", " 9600 rx 06 D0 00 31 32 33 6C",
                                                  " 9600 rx-partial 03 50", "38400 tx 02 94 96",
                                                  "38400 -- frame dropped (wrong sum): 03 50 84 D8"));
    EXPECT_THAT(Lines(trace.str())[1], MatchesRegex(" +[0-9]+\\.[0-9]{3} +9600 tx 02 90 92"));
}

TEST(TracingSerialPort, TraceLineLayout) {
    const uint8_t bytes[] = {0x03, 0x21, 0x60, 0x84};
    EXPECT_EQ(TraceLine(3250, 9600, "tx", bytes, sizeof bytes), "       3.250  9600 tx 03 21 60 84");
    EXPECT_EQ(TraceLine(123456789, 38400, "rx", bytes, 0), "  123456.789 38400 rx");
}

}  // namespace

// ecu-sim over a real pseudo-terminal: the adapter's version answer, and the speed switch that
// makes it answer only once the host has switched too. The trace on standard error says when the
// simulator has seen each step, so nothing here sleeps.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

#include "EcuSimProcess.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kVersionQuery{0x02, 0x90, 0x92};
const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

nlohmann::json ReadReport(const std::string& path) {
    std::ifstream file(path);
    return nlohmann::json::parse(file, nullptr, false);
}

TEST(EcuSimPty, AnswersTheVersionQueryWithAD0Frame) {
    EcuSimProcess sim({"--adapter-version", "123"});
    ASSERT_TRUE(sim.SlavePath().starts_with("/dev/pts/")) << sim.SlavePath();
    ASSERT_TRUE(sim.OpenLine());
    ASSERT_TRUE(sim.Write(kVersionQuery));
    EXPECT_EQ(sim.Read(kVersionAnswer.size()), kVersionAnswer);
}

TEST(EcuSimPty, AfterTheSpeedSwitchAnswersOnlyAtTheNewSpeed) {
    EcuSimProcess sim({"--trace"});
    ASSERT_TRUE(sim.OpenLine());
    ASSERT_TRUE(sim.Write(kVersionQuery));
    ASSERT_EQ(sim.Read(kVersionAnswer.size()), kVersionAnswer);

    ASSERT_TRUE(sim.Write({0x02, 0x94, 0x96}));
    ASSERT_TRUE(sim.WaitForTrace("adapter at 38400 baud"));

    // Still at 9600: the adapter hears noise and drops it.
    ASSERT_TRUE(sim.Write(kVersionQuery));
    ASSERT_TRUE(sim.WaitForTrace("garbled: 3 bytes at 9600 baud"));
    ASSERT_TRUE(sim.WaitForTrace("bad frame dropped"));

    // At 38400 the answer is the first thing on the line: nothing answered the noise.
    ASSERT_TRUE(sim.SetBaud(38400));
    ASSERT_TRUE(sim.Write(kVersionQuery));
    EXPECT_EQ(sim.Read(kVersionAnswer.size()), kVersionAnswer);
}

TEST(EcuSimPty, OnceEndsWhenTheHostClosesTheLineAndWritesTheReport) {
    const std::string report = ::testing::TempDir() + "ecu-sim-report.json";
    std::remove(report.c_str());
    EcuSimProcess sim({"--once", "--report", report});
    ASSERT_TRUE(sim.OpenLine());
    ASSERT_TRUE(sim.Write(kVersionQuery));
    ASSERT_EQ(sim.Read(kVersionAnswer.size()), kVersionAnswer);
    sim.CloseLine();
    EXPECT_EQ(sim.WaitForExit(), 0);
    const nlohmann::json json = ReadReport(report);
    EXPECT_EQ(json["requestsPerService"], (nlohmann::json{{"90", 1}})) << json;
    EXPECT_EQ(json["violations"], nlohmann::json::array()) << "a raw 8N1 line without flow control";
}

// The adapter reads the host's settings off the terminal: two stop bits and RTS/CTS flow control
// are not what it talks. (A pseudo-terminal keeps 8 data bits without parity whatever is asked.)
TEST(EcuSimPty, ReportsLineSettingsOtherThan8N1WithoutFlowControl) {
    const std::string report = ::testing::TempDir() + "ecu-sim-line-report.json";
    std::remove(report.c_str());
    EcuSimProcess sim({"--once", "--trace", "--report", report});
    ASSERT_TRUE(sim.OpenLine());
    ASSERT_TRUE(sim.Configure([](termios& t) { t.c_cflag |= CSTOPB | CRTSCTS; }));
    ASSERT_TRUE(sim.Write(kVersionQuery));
    ASSERT_TRUE(sim.WaitForTrace("violation: host line"));
    sim.CloseLine();
    EXPECT_EQ(sim.WaitForExit(), 0);
    EXPECT_EQ(ReadReport(report)["violations"],
              (nlohmann::json{"host line set to 8N2 with flow control, not 8N1 without flow control"}));
}

TEST(EcuSimPty, BadUsageEndsWithExitCode2) {
    EcuSimProcess sim({"--fault", "cut,always"});
    EXPECT_TRUE(sim.SlavePath().empty());
    EXPECT_EQ(sim.WaitForExit(), 2);
}

}  // namespace

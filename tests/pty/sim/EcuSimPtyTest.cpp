// ecu-sim over a real pseudo-terminal: the adapter's version answer, and the speed switch that
// makes it answer only once the host has switched too. The trace on standard error says when the
// simulator has seen each step, so nothing here sleeps.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EcuSimProcess.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kVersionQuery{0x02, 0x90, 0x92};
const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

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
    std::ifstream file(report);
    std::stringstream json;
    json << file.rdbuf();
    EXPECT_NE(json.str().find("\"requestsPerService\": {\"90\": 1}"), std::string::npos) << json.str();
}

} // namespace

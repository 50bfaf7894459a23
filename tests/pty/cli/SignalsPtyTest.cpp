// The keys that send signals to a terminal's job (Ctrl-\, Ctrl-Z, and the stops of a background
// job) against flash-updater-cli mid-flash: none of them kills or freezes the update.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "EcuSimProcess.h"
#include "RunEndings.h"

namespace {

using ::testing::Contains;
using ::testing::MatchesRegex;

constexpr const char* kQuitWarning = "press Ctrl-\\ again within 5 s to stop it anyway.\n";
constexpr const char* kNotSuspended =
    "Not suspended: the ECU is being programmed, and suspending now would stop the update.";

TEST(CliSignals, OneQuitMidBaseAreaWarnsAndTheUpdateFinishes) {
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({"--yes"}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Signal(SIGQUIT);
    ASSERT_TRUE(cli.WaitForOutput(kQuitWarning)) << cli.Output() << cli.Errors();
    EXPECT_EQ(cli.WaitForExit(), 0) << cli.Errors();
    EXPECT_EQ(cli.Lines().back(), "Finished OK");
    EXPECT_EQ(sim.WaitForExit(), 0);
}

TEST(CliSignals, TwoQuitsWithin5sCloseTheRunWithTheRecoveryTextLast) {
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({"--yes"}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Signal(SIGQUIT);
    ASSERT_TRUE(cli.WaitForOutput(kQuitWarning)) << cli.Output() << cli.Errors();
    ::usleep(1'000'000);
    const auto second = std::chrono::steady_clock::now();
    cli.Signal(SIGQUIT);
    EXPECT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed) << cli.Errors();
    EXPECT_LT(std::chrono::steady_clock::now() - second, std::chrono::seconds(3));
    ExpectRecoveryTextLast(cli);
    // ecu-sim --once ends when the program has closed the line.
    EXPECT_EQ(sim.WaitForExit(), 0);
}

// The stop signals sent as a terminal sends them: were any of them to stop the process, the
// refusal would never come and the update never finish.
TEST(CliSignals, SuspendAndBackgroundStopsMidFlashAreRefusedAndTheUpdateFinishes) {
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({"--yes"}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Signal(SIGTTOU);
    cli.Signal(SIGTTIN);
    cli.Signal(SIGTSTP);
    ASSERT_TRUE(cli.WaitForOutput(std::string(kNotSuspended) + "\n")) << cli.Output() << cli.Errors();
    EXPECT_EQ(cli.WaitForExit(), 0) << cli.Errors();
    EXPECT_THAT(cli.Lines(), Contains(kNotSuspended));
    EXPECT_EQ(cli.Lines().back(), "Finished OK");
    EXPECT_EQ(sim.WaitForExit(), 0);
}

}  // namespace

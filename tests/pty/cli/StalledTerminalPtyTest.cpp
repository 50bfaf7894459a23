// A terminal that stops reading mid-flash (Ctrl-S, a stalled ssh session) against an ECU that,
// as a real one does, leaves its session after 5 s without a request: the update never waits for
// the terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "EcuSimProcess.h"
#include "RunEndings.h"

namespace {

std::vector<std::string> EcuWithSessionTimeout() {
    std::vector<std::string> args = kQuickEcu;
    args.insert(args.end(), {"--session-timeout-ms", "5000"});
    return args;
}

constexpr const char* kStop = "\x13";  // Ctrl-S
constexpr const char* kGoOn = "\x11";  // Ctrl-Q

TEST(CliStalledTerminal, AnUpdateGoesOnWhileTheTerminalIsStoppedAndShowsEveryLineAfter) {
    EcuSimProcess sim(EcuWithSessionTimeout());
    CliProcess cli({"--yes"}, sim.SlavePath(), CliProcess::Stdout::Terminal);
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Type(kStop);
    ::usleep(8'000'000);  // longer than the ECU waits for a request
    cli.Type(kGoOn);
    EXPECT_EQ(cli.WaitForExit(), 0) << cli.Errors();
    const std::vector<std::string> lines = cli.Lines();
    EXPECT_EQ(lines.back(), "Finished OK");
    EXPECT_NE(cli.Output().find("Writing (Base) - 50%"), std::string::npos) << "a line written while stopped";
    EXPECT_EQ(sim.WaitForExit(), 0);
}

// A termination signal while the terminal is stopped: the close steps end the ECU's session and
// close the line without waiting for the terminal; the recovery text comes once it reads again.
TEST(CliStalledTerminal, TerminationWhileTheTerminalIsStoppedClosesTheRunAtOnce) {
    EcuSimProcess sim(EcuWithSessionTimeout());
    CliProcess cli({"--yes"}, sim.SlavePath(), CliProcess::Stdout::Terminal);
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Type(kStop);
    ::usleep(500'000);
    cli.Signal(SIGTERM);
    // ecu-sim --once ends when the program has closed the line.
    EXPECT_EQ(sim.WaitForExit(), 0);
    cli.Type(kGoOn);
    EXPECT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed) << cli.Errors();
    ExpectRecoveryTextLast(cli);
}

}  // namespace

// flash-updater-cli as a whole, with its real threads, against ecu-sim over a pseudo-terminal:
// exit codes, the last line, the output on a terminal and into a file, the end by a signal, the
// wire trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "CliProcess.h"
#include "EcuSimProcess.h"

namespace {

using ::testing::HasSubstr;

// Short erase and boot times keep a whole update as short as the program's own pace allows.
const std::vector<std::string> kQuickEcu = {"--once", "--erase-ms", "300", "--boot-ms", "300"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::string TempPath(const char* name) {
    return "/tmp/flash-updater-cli-" + std::to_string(getpid()) + "-" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(CliAgainstEcuSim, AWholeUpdateExitsWith0AndFinishedOkLast) {
    const std::string report = TempPath("report.json");
    EcuSimProcess sim(With(kQuickEcu, {"--report", report}));
    ASSERT_FALSE(sim.SlavePath().empty());
    CliProcess cli({"--yes"}, sim.SlavePath());
    ASSERT_EQ(cli.WaitForExit(), 0) << cli.Output() << cli.Errors();
    EXPECT_EQ(cli.Lines().back(), "Finished OK");
    EXPECT_THAT(cli.Output(), HasSubstr("Writing (Base) - 50%"));
    EXPECT_EQ(sim.WaitForExit(), 0);
    const std::string json = ReadFile(report);
    EXPECT_THAT(json, HasSubstr("\"changedRecords\": []"));
    EXPECT_THAT(json, HasSubstr("\"updateFinished\": true"));
    unlink(report.c_str());
}

TEST(CliAgainstEcuSim, AnEcuWithALaterSoftwareExitsWith1AndTheReasonLast) {
    EcuSimProcess sim(With(kQuickEcu, {"--date", "Dec 31 2030"}));
    CliProcess cli({"--yes"}, sim.SlavePath());
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Output() << cli.Errors();
    EXPECT_EQ(cli.Lines().back(), "Update cancelled. ECU programmed with a later version");
}

TEST(CliAgainstEcuSim, BadUsageExitsWith2BeforeTouchingThePort) {
    EcuSimProcess sim({"--once"});
    CliProcess cli({"--yes", "--no-such-option"}, sim.SlavePath());
    EXPECT_EQ(cli.WaitForExit(), 2);
    EXPECT_TRUE(cli.Output().empty());
    EXPECT_THAT(cli.Errors(), HasSubstr("--no-such-option"));
    EXPECT_EQ(std::count(cli.Errors().begin(), cli.Errors().end(), '\n'), 1);
}

// An adapter that never answers makes the response time-out step the busy indicator once a
// second; the program then hunts until it is stopped.
TEST(CliAgainstEcuSim, TheBusyLineIsRedrawnInPlaceOnATerminalAndLeftOutOfAFile) {
    for (const CliProcess::Stdout kind : {CliProcess::Stdout::Terminal, CliProcess::Stdout::File}) {
        const bool terminal = kind == CliProcess::Stdout::Terminal;
        SCOPED_TRACE(terminal ? "terminal" : "file");
        EcuSimProcess sim({"--fault", "silent-adapter"});
        CliProcess cli({"--yes"}, sim.SlavePath(), kind);
        if (terminal) ASSERT_TRUE(cli.WaitForOutput("\r[")) << cli.Output();
        else ::usleep(2'500'000);  // a file says nothing until the end; the indicator steps meanwhile
        cli.Signal(SIGTERM);
        ASSERT_EQ(cli.WaitForExit(), 1) << cli.Errors();
        const std::string& out = cli.Output();
        if (terminal) {
            EXPECT_TRUE(std::regex_search(out, std::regex("\r\\[-*#-*\\]"))) << out;
            EXPECT_EQ(cli.Lines().back(), "Connecting to Com Port  [  1  ]");  // taken down before the end
        } else {
            EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c == '\n' || c >= 0x20; })) << out;
            EXPECT_FALSE(std::regex_search(out, std::regex("\\[-*#-*\\]"))) << out;
            EXPECT_EQ(cli.Lines().back(), "Connecting to Com Port  [  1  ]");
        }
    }
}

TEST(CliAgainstEcuSim, SigintMidRunClosesTheLineAndExitsWith1WithTheLastStatusLast) {
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({"--yes"}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Errors();
    // The progress lines carry the byte counts; the last line is the status text alone.
    EXPECT_TRUE(std::regex_match(cli.Lines().back(), std::regex("Writing \\(Base\\) - [0-9]+%"))) << cli.Output();
    // ecu-sim --once ends when the program has closed the line.
    EXPECT_EQ(sim.WaitForExit(), 0);
}

TEST(CliAgainstEcuSim, TheTraceHoldsTheRunsFrames) {
    const std::string trace = TempPath("trace.txt");
    EcuSimProcess sim(kQuickEcu);
    {
        CliProcess cli({"--yes", "--trace", trace}, sim.SlavePath());
        ASSERT_TRUE(cli.WaitForOutput("Connected to Com Port  [  1  ]"));
        cli.Signal(SIGTERM);
        EXPECT_EQ(cli.WaitForExit(), 1);
    }
    std::istringstream lines(ReadFile(trace));
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);)
        if (line.find(" tx ") != std::string::npos || line.find(" rx ") != std::string::npos) frames.push_back(line);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_TRUE(std::regex_match(frames[0], std::regex(" *[0-9]+\\.[0-9]{3}  9600 tx 02 90 92")));
    EXPECT_TRUE(std::regex_match(frames[1], std::regex(" *[0-9]+\\.[0-9]{3}  9600 rx 06 D0 00 31 32 33 6C")));
    unlink(trace.c_str());
}

} // namespace

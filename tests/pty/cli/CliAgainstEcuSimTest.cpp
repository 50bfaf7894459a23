// flash-updater-cli as a whole, with its real threads, against ecu-sim over a pseudo-terminal:
// exit codes, the last line, the wire trace, the output on a terminal and into a file, the end by
// a signal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliProcess.h"
#include "EcuSimProcess.h"
#include "FlashUpdaterVersion.h"
#include "RunEndings.h"
#include "ecu/ExpectedChecksums.h"
#include "ecu/RecordRepairs.h"

namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::string TempPath(const char* name) { return "/tmp/flash-updater-cli-" + std::to_string(getpid()) + "-" + name; }

std::vector<uint8_t> HexBytes(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The tx lines of a trace, time stamps taken off: "9600 tx 02 90 92".
std::vector<std::string> SentFrames(const std::string& trace) {
    std::vector<std::string> frames;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string stamp, baud, direction;
        if (!(fields >> stamp >> baud >> direction) || direction != "tx") continue;
        std::string bytes;
        std::getline(fields, bytes);
        frames.push_back(baud + " tx" + bytes);
    }
    return frames;
}

nlohmann::json ParseJsonFile(const std::string& path) { return nlohmann::json::parse(ReadFile(path), nullptr, false); }

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

// The report's fields, each of its kind.
void ExpectReportShape(const nlohmann::json& report) {
    ASSERT_TRUE(report.is_object()) << report.dump();
    EXPECT_EQ(report["program"], "flash-updater-cli");
    EXPECT_EQ(report["version"], FLASH_UPDATER_VERSION);
    for (const char* field :
         {"vin", "hardwareSerial", "modelCode", "variant", "softwareDate", "softwareTime", "softwareVersion"})
        EXPECT_TRUE(report["ecu"].contains(field)) << field;
    for (const char* field : {"startedAt", "endedAt"})
        EXPECT_THAT(report[field].get<std::string>(),
                    MatchesRegex("20[0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-6][0-9]Z"));
    EXPECT_LE(report["startedAt"].get<std::string>(), report["endedAt"].get<std::string>());
    EXPECT_TRUE(report["result"].is_string());
    EXPECT_TRUE(report["exitCode"].is_number_integer());
    EXPECT_TRUE(report.contains("journal"));
    EXPECT_TRUE(report["checksums"].contains("base") && report["checksums"].contains("upper"));
}

// ecu-sim's report once an update has finished: no rule of the ECU broken, and every record as it
// was before the first run, except that the history gains the run's entry and two records carry
// the repairs made as they were read.
void ExpectEveryRecordBack(const nlohmann::json& sim) {
    ASSERT_FALSE(sim.is_discarded());
    EXPECT_TRUE(sim["violations"].empty()) << sim["violations"].dump();
    for (const auto& record : sim["changedRecords"]) {
        const std::string name = record["record"];
        std::vector<uint8_t> repaired = HexBytes(record["atStart"]);
        if (name == "21 69") continue;
        if (name == "21 17" && repaired.size() == 14) {
            RepairRecord17(repaired.data());
        } else if (name == "21 33" && repaired.size() == 10) {
            RepairRecord33(repaired.data());
        } else {
            ADD_FAILURE() << "not restored: " << record.dump();
        }
        EXPECT_EQ(HexBytes(record["now"]), repaired) << record.dump();
    }
}

// The journal in the last resume command of `text`, or "".
std::string JournalOfResumeCommand(const std::string& text) {
    const std::string command = "flash-updater-cli --resume ";
    const size_t at = text.rfind(command);
    if (at == std::string::npos) return {};
    const size_t start = at + command.size();
    return text.substr(start, text.find('\n', start) - start);
}

// A state folder of the test's own that several runs, of one ECU or several, share.
struct SharedStateFolder {
    SharedStateFolder() {
        char name[] = "/tmp/flash-updater-cli-journals-XXXXXX";
        if (mkdtemp(name) != nullptr) path = name;
    }
    ~SharedStateFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::vector<std::string> Journals() const {
        std::vector<std::string> journals;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path + "/flash-updater", ignored))
            journals.push_back(entry.path().string());
        std::sort(journals.begin(), journals.end());
        return journals;
    }
    std::string path;
};

// A run killed in the middle of the base area, then the ECU switched off and on: the erase has
// wiped its records and identity, and the run's journal alone holds them. That journal.
std::string KillMidBase(EcuSimProcess& sim, const SharedStateFolder& folder) {
    const std::vector<std::string> before = folder.Journals();
    {
        CliProcess cli({"--yes"}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder.path);
        if (!cli.WaitForOutput("Writing (Base) - 20%")) {
            ADD_FAILURE() << cli.Output() << cli.Errors();
            return {};
        }
        cli.Signal(SIGKILL);
        cli.WaitForExit();
    }
    sim.PowerCycle();
    std::vector<std::string> added;
    for (const std::string& journal : folder.Journals())
        if (std::find(before.begin(), before.end(), journal) == before.end()) added.push_back(journal);
    EXPECT_EQ(added.size(), 1u) << ::testing::PrintToString(added);
    return added.empty() ? std::string() : added.front();
}

// The total of both areas' byte counts as their first progress lines give them, in tags.
int TagsInProgressLines(const std::string& output) {
    int tags = 0;
    for (const char* first : {"Writing (Base) - 0%  (192 of ", "Writing (Upper) - 0%  (192 of "}) {
        const size_t at = output.find(first);
        if (at != std::string::npos) tags += std::stoi(output.substr(at + std::strlen(first))) / 192;
    }
    return tags;
}

TEST(CliAgainstEcuSim, AWholeUpdateExitsWith0AndFinishedOkLastWithEveryFrameInTheTrace) {
    const std::string report = TempPath("report.json");
    const std::string trace = TempPath("trace.txt");
    {
        // Not --once: the simulator is stopped (and writes its report) when this block ends.
        EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300", "--report", report});
        ASSERT_FALSE(sim.SlavePath().empty());
        CliProcess cli({"--yes", "--trace", trace}, sim.SlavePath());
        ASSERT_EQ(cli.WaitForExit(), 0) << cli.Output() << cli.Errors();
        EXPECT_EQ(cli.Lines().back(), "Finished OK");
        EXPECT_THAT(cli.Output(), HasSubstr("Pre-loaded with K410"));
        EXPECT_THAT(cli.Output(), HasSubstr("\nConnected to Com Port  [  1  ]  (" + sim.SlavePath() + ")\n"));
        const int tags = TagsInProgressLines(cli.Output());
        EXPECT_GT(tags, 1000);

        const std::vector<std::string> sent = SentFrames(ReadFile(trace));
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front(), "9600 tx 02 90 92");
        const auto writes = std::count_if(
            sent.begin(), sent.end(), [](const std::string& frame) { return frame.rfind("38400 tx C6 3D ", 0) == 0; });
        EXPECT_EQ(writes, tags);
    }
    const nlohmann::json json = nlohmann::json::parse(ReadFile(report), nullptr, false);
    ASSERT_FALSE(json.is_discarded());
    EXPECT_TRUE(json["updateFinished"].get<bool>());
    ExpectEveryRecordBack(json);
    unlink(report.c_str());
    unlink(trace.c_str());
}

TEST(CliAgainstEcuSim, ARunEndedWithoutAnUpdateExitsWith1AndItsLastTextLast) {
    struct Case {
        std::vector<std::string> ecu, cli;
        const char* lastLine;
    };
    const Case cases[] = {
        {{"--date", "Dec 31 2030"}, {"--yes"}, "Update cancelled. ECU programmed with a later version"},
        {{"--model-code", "5"}, {"--yes"}, "Update cancelled. Unknown ECU"},
        // No model code: the image is chosen by the version, which names none; nothing is pending.
        {{"--fault", "unsupported@21AC,always", "--version", "999E"}, {"--yes"}, "Update cancelled. Unknown ECU"},
        // Without --yes the operator is asked; an input that ends without a yes declines.
        {{}, {}, "Pre-loaded with K410"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastLine);
        EcuSimProcess sim(With(kQuickEcu, c.ecu));
        CliProcess cli(c.cli, sim.SlavePath());
        EXPECT_EQ(cli.WaitForExit(), 1) << cli.Output() << cli.Errors();
        EXPECT_EQ(cli.Lines().back(), c.lastLine);
        if (c.cli.empty()) {
            EXPECT_THAT(cli.Output(), HasSubstr("\nProceed with programming? [y/N]\n"));
        }
    }
}

TEST(CliAgainstEcuSim, AYesToTheProceedQuestionStartsTheProgramming) {
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({}, sim.SlavePath(), CliProcess::Stdout::Pipe, "Y\n");
    ASSERT_TRUE(cli.WaitForOutput("Erasing...")) << cli.Output() << cli.Errors();
    EXPECT_THAT(cli.Output(), HasSubstr("Pre-loaded with K410\nProceed with programming? [y/N]\nProceed ->\n"));
    cli.Signal(SIGTERM);
    EXPECT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed);
}

TEST(CliAgainstEcuSim, BadUsageExitsWith2BeforeTouchingThePort) {
    EcuSimProcess sim({"--once"});
    CliProcess cli({"--yes", "--no-such-option"}, sim.SlavePath());
    EXPECT_EQ(cli.WaitForExit(), 2);
    EXPECT_TRUE(cli.Output().empty());
    EXPECT_THAT(cli.Errors(), HasSubstr("--no-such-option"));
    EXPECT_EQ(std::count(cli.Errors().begin(), cli.Errors().end(), '\n'), 1);
}

// With --report - the report follows the run's lines on standard output, so that a script reads
// both from one pipe.
TEST(CliAgainstEcuSim, AReportToStandardOutputComesAfterTheRunsLastLine) {
    EcuSimProcess sim(With(kQuickEcu, {"--model-code", "5"}));
    CliProcess cli({"--yes", "--report", "-"}, sim.SlavePath());
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Output() << cli.Errors();
    const size_t start = cli.Output().find("\n{\n");
    ASSERT_NE(start, std::string::npos) << cli.Output();
    EXPECT_TRUE(cli.Output().substr(0, start + 1).ends_with("\nUpdate cancelled. Unknown ECU\n")) << cli.Output();
    const nlohmann::json report = nlohmann::json::parse(cli.Output().substr(start + 1), nullptr, false);
    ExpectReportShape(report);
    EXPECT_EQ(report["result"], "Update cancelled. Unknown ECU");
    EXPECT_EQ(report["exitCode"], 1);
}

// The report's folder was checked at the start; gone by the end, it is not made again: the
// run says so on standard error and does not exit 0 (here it keeps the 1 of a run that found no
// adapter).
TEST(CliAgainstEcuSim, AReportThatCannotBeWrittenAtTheEndIsSaidAndFailsTheRun) {
    const std::string folder = TempPath("report-folder");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    const std::string report = folder + "/report.json";
    EcuSimProcess sim({"--fault", "silent-adapter"});
    CliProcess cli({"--yes", "--connect-timeout", "2", "--report", report}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Connecting to Com Port")) << cli.Output() << cli.Errors();
    std::filesystem::remove(folder);
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Output() << cli.Errors();
    EXPECT_THAT(cli.Errors(), HasSubstr("flash-updater-cli: cannot write the report " + report + ": the folder " +
                                        folder + " is gone\n"));
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// An adapter that never answers makes the response time-out step the busy indicator once a
// second; the program then hunts until it is stopped.
TEST(CliAgainstEcuSim, TheBusyLineIsRedrawnInPlaceOnATerminalAndLeftOutOfAFile) {
    for (const CliProcess::Stdout kind : {CliProcess::Stdout::Terminal, CliProcess::Stdout::File}) {
        const bool terminal = kind == CliProcess::Stdout::Terminal;
        SCOPED_TRACE(terminal ? "terminal" : "file");
        EcuSimProcess sim({"--fault", "silent-adapter"});
        CliProcess cli({"--yes"}, sim.SlavePath(), kind);
        if (terminal)
            ASSERT_TRUE(cli.WaitForOutput("\r[")) << cli.Output();
        else
            ::usleep(2'500'000);  // a file says nothing until the end; the indicator steps meanwhile
        cli.Signal(SIGTERM);
        ASSERT_EQ(cli.WaitForExit(), 1) << cli.Errors();
        const std::string& out = cli.Output();
        if (terminal) {
            EXPECT_THAT(out, ContainsRegex("\r\\[-*#-*\\]"));
            EXPECT_EQ(cli.Lines().back(), "Connecting to Com Port  [  1  ]");  // taken down before the end
        } else {
            EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c == '\n' || c >= 0x20; })) << out;
            EXPECT_THAT(out, Not(ContainsRegex("\\[-*#-*\\]")));
            EXPECT_EQ(cli.Lines().back(), "Connecting to Com Port  [  1  ]");
        }
    }
}

// One SIGINT while the ECU is being changed is only warned about; meanwhile a second program
// started on the same port finds it in use, never writes to it and gives up after its time-out.
TEST(CliAgainstEcuSim, AnUpdateOutlastsOneSigintAndASecondProgramOnItsPort) {
    const std::string report = TempPath("sigint-report.json");
    const std::string rivalTrace = TempPath("rival-trace.txt");
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({"--yes", "--report", report}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    {
        CliProcess rival({"--yes", "--connect-timeout", "3", "--trace", rivalTrace}, sim.SlavePath());
        EXPECT_EQ(rival.WaitForExit(), 1) << rival.Output() << rival.Errors();
        EXPECT_THAT(rival.Errors(),
                    HasSubstr("No adapter answered:\n  " + sim.SlavePath() + ": in use by another program\n"));
        EXPECT_THAT(ReadFile(rivalTrace), Not(HasSubstr(" tx"))) << "the rival never wrote to the port";
    }
    cli.Signal(SIGINT);
    ASSERT_TRUE(cli.WaitForOutput("press Ctrl-C again within 5 s to stop it anyway.\n")) << cli.Output();
    EXPECT_EQ(cli.WaitForExit(), 0) << cli.Output() << cli.Errors();
    EXPECT_EQ(cli.Lines().back(), "Finished OK");
    EXPECT_EQ(sim.WaitForExit(), 0);

    const nlohmann::json json = ParseJsonFile(report);
    ExpectReportShape(json);
    EXPECT_EQ(json["port"], sim.SlavePath());
    EXPECT_EQ(json["ecu"]["softwareDate"], "Mar 14 2010");
    EXPECT_EQ(json["ecu"]["softwareVersion"], "477E") << "read again after the update";
    EXPECT_EQ(json["ecu"]["modelCode"], 0);
    EXPECT_EQ(json["image"], "K410");
    EXPECT_EQ(json["result"], "Finished OK");
    EXPECT_EQ(json["exitCode"], 0);
    EXPECT_THAT(json["journal"].get<std::string>(), MatchesRegex("/.*/flash-updater/.*\\.journal"));
    const ExpectedChecksums expected = ExpectedChecksumsFor(1);
    EXPECT_EQ(json["checksums"]["base"], Hex4(expected.base));
    EXPECT_EQ(json["checksums"]["upper"], Hex4(expected.upper));
    unlink(report.c_str());
    unlink(rivalTrace.c_str());
}

TEST(CliAgainstEcuSim, TwoSigintsWhileProgrammingCloseTheRunWithTheRecoveryTextLast) {
    const std::string report = TempPath("cancel-report.json");
    EcuSimProcess sim(kQuickEcu);
    CliProcess cli({"--yes", "--report", report}, sim.SlavePath());
    ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
    cli.Signal(SIGINT);
    ASSERT_TRUE(cli.WaitForOutput("press Ctrl-C again within 5 s to stop it anyway.\n")) << cli.Output();
    ::usleep(1'000'000);
    const auto second = std::chrono::steady_clock::now();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed) << cli.Errors();
    EXPECT_LT(std::chrono::steady_clock::now() - second, std::chrono::seconds(3));
    ExpectRecoveryTextLast(cli);
    // ecu-sim --once ends when the program has closed the line.
    EXPECT_EQ(sim.WaitForExit(), 0);

    const nlohmann::json json = ParseJsonFile(report);
    ExpectReportShape(json);
    EXPECT_EQ(json["exitCode"], kEcuLeftUnprogrammed);
    EXPECT_EQ(json["ecuState"], "unprogrammed");
    EXPECT_THAT(json["result"].get<std::string>(), MatchesRegex("Writing \\(Base\\) - [0-9]+%"));
    EXPECT_EQ("  flash-updater-cli --resume " + json["journal"].get<std::string>(), cli.Lines().back());
    EXPECT_EQ("  " + json["resumeCommand"].get<std::string>(), cli.Lines().back());
    EXPECT_TRUE(json["checksums"]["base"].is_null());
    EXPECT_TRUE(json["checksums"]["upper"].is_null());
    unlink(report.c_str());
}

// The command of the recovery text is pasted into a shell as it was printed, whatever the path of
// the journal holds: letters beyond ASCII, and what a shell would expand, run or split.
TEST(CliAgainstEcuSim, TheResumeCommandFindsItsJournalWhenRunInAShell) {
    char folder[] = "/tmp/flash-updater-cli-Pawe\xC5\x82 \"$HOME\" `false` it's \\ !-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::vector<std::string> lines;
    {
        EcuSimProcess sim(kQuickEcu);
        CliProcess cli({"--yes"}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder);
        ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
        cli.Signal(SIGINT);
        ASSERT_TRUE(cli.WaitForOutput("press Ctrl-C again within 5 s to stop it anyway.\n")) << cli.Output();
        ::usleep(1'000'000);
        cli.Signal(SIGINT);
        ASSERT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed) << cli.Errors();
        lines = cli.Lines();
    }
    ASSERT_GE(lines.size(), 3u);
    const std::string journal = lines[lines.size() - 3].substr(std::strlen("This run's journal: "));
    EXPECT_EQ(journal.rfind(std::string(folder) + "/flash-updater/", 0), 0u) << journal;
    EXPECT_TRUE(std::filesystem::exists(journal)) << journal;
    const std::string command = lines.back().substr(2);
    ASSERT_THAT(command, MatchesRegex("flash-updater-cli --resume '.*'")) << command;

    // --list-ports ends the program once its options are read; a --resume journal that is not
    // there is bad usage (exit code 2) and named.
    const std::string searchPath = std::getenv("PATH");
    const std::string programs = std::filesystem::path(FLASH_UPDATER_CLI_PATH).parent_path().string();
    ::setenv("PATH", (programs + ":" + searchPath).c_str(), 1);
    FILE* shell = ::popen(("exec 2>&1; " + command + " --list-ports").c_str(), "r");
    ::setenv("PATH", searchPath.c_str(), 1);
    ASSERT_NE(shell, nullptr);
    std::string said;
    for (int c = std::fgetc(shell); c != EOF; c = std::fgetc(shell)) said += static_cast<char>(c);
    const int status = ::pclose(shell);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << "\n" << said;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// A closed terminal: the hang-up is ignored while programming and the writes into the closed
// output fail without ending the run.
TEST(CliAgainstEcuSim, AHangUpWithItsOutputClosedMidBaseAreaLetsTheUpdateComplete) {
    const std::string simReport = TempPath("hangup-sim.json");
    const std::string report = TempPath("hangup-report.json");
    {
        EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300", "--report", simReport});
        CliProcess cli({"--yes", "--report", report}, sim.SlavePath());
        ASSERT_TRUE(cli.WaitForOutput("Writing (Base) - 5%")) << cli.Output() << cli.Errors();
        cli.CloseOutput();
        cli.Signal(SIGHUP);
        EXPECT_EQ(cli.WaitForExit(), 0) << cli.Errors();
    }
    const nlohmann::json sim = ParseJsonFile(simReport);
    ASSERT_FALSE(sim.is_discarded());
    EXPECT_TRUE(sim["updateFinished"].get<bool>());
    EXPECT_TRUE(sim["violations"].empty()) << sim["violations"].dump();
    EXPECT_EQ(ParseJsonFile(report)["result"], "Finished OK");
    unlink(simReport.c_str());
    unlink(report.c_str());
}

TEST(CliAgainstEcuSim, PortsThatCannotServeAreNamedWithTheirReasons) {
    const std::string missing = TempPath("no-such-port");
    const auto start = std::chrono::steady_clock::now();
    CliProcess cli({"--yes", "--connect-timeout", "3", "--port", missing}, "/dev/ignored");
    EXPECT_EQ(cli.WaitForExit(), 1) << cli.Output() << cli.Errors();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_THAT(cli.Errors(), HasSubstr("No adapter answered:\n  " + missing + ": no such device\n"));
    EXPECT_THAT(cli.Errors(), HasSubstr("gave up after 3 s (--connect-timeout)"));

    CliProcess empty({"--yes"}, "");  // FLASH_UPDATER_PORTS set, but empty
    EXPECT_EQ(empty.WaitForExit(), 2);
    EXPECT_THAT(empty.Errors(), HasSubstr("FLASH_UPDATER_PORTS is set but names no port"));
    EXPECT_TRUE(empty.Output().empty());
}

// Support files hold the ECU's data: they are the user's alone, and the ECU's texts cannot hide
// control sequences in them. Files an earlier run left readable by others are made private too:
// the trace replaced, the debug file appended to.
TEST(CliAgainstEcuSim, TheTraceAndTheDebugFileAreCreatedPrivateAndPlain) {
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "files of an earlier run" : "new files");
        const std::string trace = TempPath("private-trace.txt");
        const std::string debug = TempPath("private-debug.txt");
        for (const std::string& file : {trace, debug}) {
            if (!earlier) continue;
            std::ofstream(file) << "earlier\n";
            ASSERT_EQ(chmod(file.c_str(), 0644), 0);
        }
        EcuSimProcess sim(With(kQuickEcu, {"--fault", "nrc=10@3D,nth=5"}));
        CliProcess cli({"--yes", "--trace", trace, "--debug-file", debug}, sim.SlavePath());
        EXPECT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed) << cli.Output() << cli.Errors();
        for (const std::string& file : {trace, debug}) {
            struct stat info {};
            ASSERT_EQ(stat(file.c_str(), &info), 0) << file;
            EXPECT_EQ(info.st_mode & 0777, 0600u) << file;
        }
        const std::string text = ReadFile(debug);
        EXPECT_THAT(text, HasSubstr("VIN = "));
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return c == '\n' || (byte >= 0x20 && byte != 0x7F && (byte < 0x80 || byte >= 0xA0));
        })) << text;
        EXPECT_EQ(text.starts_with("earlier\n"), earlier);
        EXPECT_THAT(ReadFile(trace), Not(HasSubstr("earlier\n")));
        unlink(trace.c_str());
        unlink(debug.c_str());
    }
}

// The line lost in the middle of the base area: the core would resend into it forever; the
// program gives up on it, says why and how to recover, and waits meanwhile without spinning.
TEST(CliAgainstEcuSim, ALineLostMidRunEndsTheRunWith3TheRecoveryTextLastAndWhy) {
    struct Case {
        const char* fault;
        const char* why;
    };
    const Case cases[] = {
        {"unplug@3D,nth=200", "flash-updater-cli: the line to the adapter was lost\n"},
        {"cut@3D,nth=200", "flash-updater-cli: no answer from the adapter for 30 s\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300", "--fault", c.fault});
        const auto start = std::chrono::steady_clock::now();
        CliProcess cli({"--yes"}, sim.SlavePath());
        ASSERT_EQ(cli.WaitForExit(), kEcuLeftUnprogrammed) << cli.Output() << cli.Errors();
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        // About 15 s to the cut, then at most the 30 s of silence.
        EXPECT_LT(wall.count(), 90);
        EXPECT_LT(cli.CpuSeconds(), 0.1 * wall.count());
        const std::vector<std::string> lines = cli.Lines();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_THAT(lines[lines.size() - 5], MatchesRegex("Writing \\(Base\\) - [0-9]+%")) << cli.Output();
        ExpectRecoveryTextLast(cli);
        EXPECT_THAT(cli.Errors(), HasSubstr(c.why));
    }
}

// The program is killed in the middle of the base area: the erase has wiped the ECU's records.
// The operator resets the ECU and runs the program again with the journal the first run left:
// every record comes back.
TEST(CliAgainstEcuSim, AnUpdateKilledMidBaseIsCompletedFromItsJournal) {
    const std::string report = TempPath("resume-report.json");
    char folder[] = "/tmp/flash-updater-cli-journals-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    {
        EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300", "--report", report});
        {
            CliProcess first({"--yes"}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder);
            ASSERT_TRUE(first.WaitForOutput("Writing (Base) - 20%")) << first.Output();
            first.Signal(SIGKILL);
            first.WaitForExit();
        }
        std::string journal;
        for (const auto& entry : std::filesystem::directory_iterator(std::string(folder) + "/flash-updater"))
            journal = entry.path().string();
        ASSERT_FALSE(journal.empty());
        sim.PowerCycle();
        CliProcess second({"--yes", "--resume", journal}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder);
        ASSERT_EQ(second.WaitForExit(), 0) << second.Output() << second.Errors();
        EXPECT_EQ(second.Lines().back(), "Finished OK");
    }
    const nlohmann::json json = nlohmann::json::parse(ReadFile(report), nullptr, false);
    ASSERT_FALSE(json.is_discarded());
    std::vector<std::string> changed;
    for (const auto& record : json["changedRecords"]) changed.push_back(record["record"]);
    EXPECT_EQ(changed, (std::vector<std::string>{"21 17", "21 33", "21 69"})) << json["changedRecords"].dump();
    EXPECT_TRUE(json["violations"].empty()) << json["violations"].dump();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    unlink(report.c_str());
}

// Two stations' runs started in the same second on ECUs without a VIN: each keeps a journal of its
// own (the names are reserved, never shared). A refused level-7 key ends each run right after
// "Proceed ->", when its journal is written.
TEST(CliAgainstEcuSim, TwoRunsStartedTogetherOnEcusWithoutAVinKeepTwoJournals) {
    char folder[] = "/tmp/flash-updater-cli-journals-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    {
        const std::vector<std::string> ecu = With(kQuickEcu, {"--vin", "", "--fault", "nrc=35@2708"});
        EcuSimProcess firstEcu(ecu), secondEcu(ecu);
        CliProcess first({"--yes"}, firstEcu.SlavePath(), CliProcess::Stdout::Pipe, "", folder);
        CliProcess second({"--yes"}, secondEcu.SlavePath(), CliProcess::Stdout::Pipe, "", folder);
        EXPECT_EQ(first.WaitForExit(), 1) << first.Output() << first.Errors();
        EXPECT_EQ(second.WaitForExit(), 1) << second.Output() << second.Errors();
        EXPECT_EQ(first.Lines().back(), "Error - Invalid Key!");
        EXPECT_EQ(second.Lines().back(), "Error - Invalid Key!");
    }
    std::vector<std::string> journals;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(folder) + "/flash-updater"))
        journals.push_back(entry.path().filename().string());
    std::sort(journals.begin(), journals.end());
    ASSERT_EQ(journals.size(), 2u) << ::testing::PrintToString(journals);
    EXPECT_THAT(journals[0], MatchesRegex("[0-9]{8}-[0-9]{6}Z-unknown-vin(-2)?\\.journal"));
    EXPECT_THAT(journals[1], MatchesRegex("[0-9]{8}-[0-9]{6}Z-unknown-vin(-2)?\\.journal"));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// An ECU left blank by a killed run, then a run writing that run's journal back that a refused
// level-7 key stops before anything is written: the first journal still holds the ECU's data. The
// stop names it, an unattended run not told which journal to use names it and programs nothing,
// and the run given it finishes the update.
TEST(CliAgainstEcuSim, AResumeStoppedBeforeProgrammingLeavesTheEcusJournalToFinishFrom) {
    const std::string simReport = TempPath("stopped-resume-sim.json");
    const std::string report = TempPath("stopped-resume-report.json");
    const SharedStateFolder folder;
    ASSERT_FALSE(folder.path.empty());
    {
        // Only the second run's level-7 key is refused.
        EcuSimProcess sim(
            {"--erase-ms", "300", "--boot-ms", "300", "--fault", "nrc=35@2708,nth=2", "--report", simReport});
        const std::string interrupted = KillMidBase(sim, folder);
        ASSERT_FALSE(interrupted.empty());

        CliProcess stopped({"--yes", "--resume", interrupted, "--report", report}, sim.SlavePath(),
                           CliProcess::Stdout::Pipe, "", folder.path);
        ASSERT_EQ(stopped.WaitForExit(), 1) << stopped.Output() << stopped.Errors();
        EXPECT_EQ(stopped.Lines().back(), "Error - Invalid Key!");
        const std::string said = stopped.Output() + stopped.Errors();
        EXPECT_THAT(said, HasSubstr("The journal that holds the ECU's data: " + interrupted + "\n"));
        const std::string named = JournalOfResumeCommand(said);
        EXPECT_EQ(named, interrupted) << said;
        const nlohmann::json json = ParseJsonFile(report);
        EXPECT_EQ(json["exitCode"], 1);
        EXPECT_EQ(json["ecuState"], "untouched");
        EXPECT_EQ(json["resumeCommand"], "flash-updater-cli --resume " + interrupted);
        // The stopped run's own journal holds what the blank ECU read: never offered.
        ASSERT_TRUE(json["journal"].is_string()) << json.dump();
        const std::string stoppedRunsJournal = json["journal"];
        EXPECT_NE(stoppedRunsJournal, interrupted);

        // The stop leaves the adapter at its high speed; the operator switches the ECU off and on.
        sim.PowerCycle();
        CliProcess unattended({"--yes"}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder.path);
        ASSERT_EQ(unattended.WaitForExit(), 1) << unattended.Output() << unattended.Errors();
        EXPECT_EQ(unattended.Lines().back(), "Not programmed - this may be the ECU of an interrupted update");
        const std::string told = unattended.Output() + unattended.Errors();
        EXPECT_THAT(told, HasSubstr(interrupted));
        EXPECT_THAT(told, HasSubstr("--no-resume"));
        EXPECT_THAT(told, Not(HasSubstr(stoppedRunsJournal)));

        sim.PowerCycle();
        CliProcess resumed({"--yes", "--resume", named}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder.path);
        ASSERT_EQ(resumed.WaitForExit(), 0) << resumed.Output() << resumed.Errors();
        EXPECT_EQ(resumed.Lines().back(), "Finished OK");
    }
    ExpectEveryRecordBack(ParseJsonFile(simReport));
    unlink(simReport.c_str());
    unlink(report.c_str());
}

// Two ECUs left blank by killed runs, their journals in one folder: nothing either ECU reads tells
// which journal is its own, so an unattended run names both and programs nothing.
TEST(CliAgainstEcuSim, AnUnattendedRunOnOneOfTwoBlankEcusNamesBothJournals) {
    const std::string simReports[] = {TempPath("blank-first-sim.json"), TempPath("blank-second-sim.json")};
    const SharedStateFolder folder;
    ASSERT_FALSE(folder.path.empty());
    {
        EcuSimProcess first({"--erase-ms", "300", "--boot-ms", "300", "--seed", "2", "--report", simReports[0]});
        EcuSimProcess second({"--erase-ms", "300", "--boot-ms", "300", "--seed", "3", "--report", simReports[1]});
        const std::string journals[] = {KillMidBase(first, folder), KillMidBase(second, folder)};
        ASSERT_FALSE(journals[0].empty() || journals[1].empty());

        CliProcess cli({"--yes"}, first.SlavePath(), CliProcess::Stdout::Pipe, "", folder.path);
        ASSERT_EQ(cli.WaitForExit(), 1) << cli.Output() << cli.Errors();
        EXPECT_EQ(cli.Lines().back(), "Not programmed - several journals may be this ECU's");
        const std::string told = cli.Output() + cli.Errors();
        for (const std::string& journal : journals) EXPECT_THAT(told, HasSubstr(journal));
        EXPECT_THAT(told, HasSubstr("--resume"));
        EXPECT_THAT(told, HasSubstr("--no-resume"));
    }
    for (const std::string& simReport : simReports) {
        const nlohmann::json json = ParseJsonFile(simReport);
        ASSERT_FALSE(json.is_discarded()) << simReport;
        EXPECT_TRUE(json["violations"].empty()) << json["violations"].dump();
        unlink(simReport.c_str());
    }
}

// The base area's checksum fails three times: the ECU is left erased. The recovery text ends the
// run, the report gives the same command, and that command finishes the update.
TEST(CliAgainstEcuSim, ABaseChecksumFailingThreeTimesEndsWith3AndItsJournalFinishesTheUpdate) {
    const std::string simReport = TempPath("checksum-sim.json");
    const std::string report = TempPath("checksum-report.json");
    const SharedStateFolder folder;
    ASSERT_FALSE(folder.path.empty());
    {
        EcuSimProcess sim(
            {"--erase-ms", "300", "--boot-ms", "300", "--fault", "wrong-crc@218300,count=3", "--report", simReport});
        CliProcess failed({"--yes", "--report", report}, sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder.path);
        ASSERT_EQ(failed.WaitForExit(), kEcuLeftUnprogrammed) << failed.Output() << failed.Errors();
        const std::vector<std::string> lines = failed.Lines();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[lines.size() - 5], "Failed Base CRC Check!");
        ExpectRecoveryTextLast(failed);
        const nlohmann::json json = ParseJsonFile(report);
        ExpectReportShape(json);
        EXPECT_EQ(json["result"], "Failed Base CRC Check!");
        EXPECT_EQ(json["exitCode"], kEcuLeftUnprogrammed);
        EXPECT_EQ(json["ecuState"], "unprogrammed");
        EXPECT_EQ(json["resumeCommand"], lines.back().substr(2));

        sim.PowerCycle();
        CliProcess resumed({"--yes", "--resume", JournalOfResumeCommand(lines.back()), "--report", report},
                           sim.SlavePath(), CliProcess::Stdout::Pipe, "", folder.path);
        ASSERT_EQ(resumed.WaitForExit(), 0) << resumed.Output() << resumed.Errors();
        EXPECT_EQ(resumed.Lines().back(), "Finished OK");
        const nlohmann::json finished = ParseJsonFile(report);
        EXPECT_EQ(finished["ecuState"], "programmed");
        EXPECT_TRUE(finished["resumeCommand"].is_null()) << finished.dump();
    }
    ExpectEveryRecordBack(ParseJsonFile(simReport));
    unlink(simReport.c_str());
    unlink(report.c_str());
}

}  // namespace

// The command line: what is accepted, and that every kind of bad usage ends with exit code 2 and
// a one-line reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "FlashUpdaterVersion.h"
#include "TemporaryFolder.h"
#include "ui/console/CliOptions.h"

namespace {

struct Parsed {
    std::optional<int> exitCode;
    CliOptions options;
    std::string out, err;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "flash-updater-cli");
    Parsed parsed;
    std::ostringstream out, err;
    parsed.exitCode = ParseCommandLine(static_cast<int>(args.size()), args.data(), parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(CliOptions, AcceptsItsOptions) {
    const Parsed none = Parse({});
    EXPECT_FALSE(none.exitCode);
    EXPECT_FALSE(none.options.yes || none.options.listPorts || none.options.debugFile || none.options.traceFile);

    const Parsed all = Parse({"--yes", "--debug-file", "/tmp/report.txt", "--trace=/tmp/wire.txt", "--list-ports"});
    EXPECT_FALSE(all.exitCode) << all.err;
    EXPECT_TRUE(all.options.yes);
    EXPECT_TRUE(all.options.listPorts);
    EXPECT_EQ(all.options.debugFile, "/tmp/report.txt");
    EXPECT_EQ(all.options.traceFile, "/tmp/wire.txt");
    EXPECT_FALSE(all.options.resumeFile || all.options.noJournal || all.options.listJournals);

    const Parsed journal = Parse({"--resume", "/etc/hostname", "--list-journals"});
    EXPECT_FALSE(journal.exitCode) << journal.err;
    EXPECT_EQ(journal.options.resumeFile, "/etc/hostname");
    EXPECT_TRUE(journal.options.listJournals);
    EXPECT_TRUE(Parse({"--no-journal"}).options.noJournal);
    EXPECT_TRUE(Parse({"--yes", "--no-resume"}).options.noResume);
}

TEST(CliOptions, PortsReportAndTimeOut) {
    const Parsed ports = Parse({"--port", "/dev/ttyUSB1", "--port=COM6", "--port", "3", "--report", "/tmp/run.json",
                                "--connect-timeout", "3"});
    EXPECT_FALSE(ports.exitCode) << ports.err;
    EXPECT_EQ(ports.options.ports, (std::vector<std::string>{"/dev/ttyUSB1", "COM6", "3"}));
    EXPECT_EQ(ports.options.reportFile, "/tmp/run.json");
    EXPECT_EQ(ports.options.connectTimeout, 3);
    EXPECT_TRUE(Parse({}).options.ports.empty());
}

// Unattended runs must end; the operator's own hunt as long as they like.
TEST(CliOptions, TheConnectTimeOutInEffect) {
    const std::pair<std::vector<const char*>, std::optional<int>> cases[] = {
        {{}, std::nullopt},
        {{"--yes"}, 60},
        {{"--yes", "--connect-timeout", "3"}, 3},
        {{"--yes", "--connect-timeout", "0"}, std::nullopt},
        {{"--connect-timeout", "20"}, 20},
    };
    for (const auto& [args, timeout] : cases) {
        const Parsed parsed = Parse(args);
        ASSERT_FALSE(parsed.exitCode) << parsed.err;
        EXPECT_EQ(ConnectTimeoutOf(parsed.options), timeout) << args.size();
    }
}

TEST(CliOptions, HelpIsPrintedAndEndsTheProgramWell) {
    const Parsed help = Parse({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--yes", "--debug-file", "--list-ports", "--trace", "--resume", "--no-resume", "--no-journal",
          "--list-journals", "--port", "--connect-timeout", "--report", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(CliOptions, VersionIsTheProgramsNameAndVersionOnOneLine) {
    for (const auto& args : std::vector<std::vector<const char*>>{{"--version"}, {"--yes", "--version"}}) {
        const Parsed version = Parse(args);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, "flash-updater-cli " FLASH_UPDATER_VERSION "\n");
        EXPECT_TRUE(version.err.empty()) << version.err;
    }
}

TEST(CliOptions, BadUsageExitsWith2AndOneLineOfReason) {
    const std::vector<std::vector<const char*>> cases = {
        {"--bogus"},
        {"positional"},
        {"--debug-file"},       // its path is missing
        {"--debug-file", ""},   // an empty name
        {"--debug-file", "/"},  // a directory
        {"--trace", "/"},
        {"--trace"},
        {"--yes=maybe"},
        {"--resume", "/nonexistent/run.journal"},
        {"--resume", "/etc/hostname", "--no-journal"},  // a restore needs this run's journal too
        {"--resume", "/etc/hostname", "--no-resume"},
        {"--no-resume", "--no-journal"},
        {"-y"},
        {"--port"},
        {"--port", "/dev/ttyS0", "/dev/ttyS1"},  // one device per --port
        {"--connect-timeout", "-1"},
        {"--connect-timeout", "soon"},
        {"--connect-timeout"},
        {"--report", "/"},
        {"--report", ""},
    };
    for (const auto& args : cases) {
        const Parsed bad = Parse(args);
        EXPECT_EQ(bad.exitCode, 2) << args[0];
        EXPECT_EQ(bad.err.rfind("flash-updater-cli: ", 0), 0u) << bad.err;
        EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
        EXPECT_TRUE(bad.out.empty());
    }
}

// The files the program writes and the ports it tries are judged before anything starts: each
// bad one is bad usage, named with what is wrong with it.
TEST(CliOptions, FilesAndPortsThatCannotServeAreBadUsageNamedWithTheirReason) {
    TemporaryFolder folder;
    const std::string plain = folder.File("plain.txt"), link = folder.File("link.txt");
    TemporaryFolder::WriteAll(plain, "");
    std::filesystem::create_symlink(plain, link);
    const std::string missing = folder.File("missing/report.json"), inFile = plain + "/report.json";
    struct Case {
        std::vector<const char*> args;
        std::string reason;
    };
    const Case cases[] = {
        {{"--report", missing.c_str()}, missing + ": its folder " + folder.File("missing") + " does not exist"},
        {{"--report", inFile.c_str()}, inFile + ": its folder " + plain + " is not a folder"},
        {{"--report", link.c_str()}, link + " is a symbolic link"},
        {{"--report", "/dev/null"}, "/dev/null is not a regular file"},
        {{"--trace", link.c_str()}, link + " is a symbolic link, which is not followed"},
        {{"--debug-file", link.c_str()}, link + " is a symbolic link, which is not followed"},
        {{"--port", ""}, "an empty port name"},
        {{"--port", "/dev/ttyS0", "--port=/dev/ttyS0"}, "/dev/ttyS0 is named twice"},
        {{"--port", "/dev/ttyS0", "--port", "/dev/../dev/ttyS0"}, "/dev/ttyS0 and /dev/../dev/ttyS0 are the same port"},
    };
    for (const Case& c : cases) {
        const Parsed bad = Parse(c.args);
        EXPECT_EQ(bad.exitCode, 2) << c.reason;
        EXPECT_NE(bad.err.find(c.reason + " (see --help)\n"), std::string::npos) << bad.err;
    }
    // What serves: standard output, a new file in a folder that is there, a file to replace, two
    // ports.
    for (const std::vector<const char*>& args :
         std::vector<std::vector<const char*>>{{"--report", "-"},
                                               {"--report", plain.c_str()},
                                               {"--report", "report-in-the-working-folder.json"},
                                               {"--port", "/dev/ttyS0", "--port", "/dev/ttyS1"}}) {
        const Parsed good = Parse(args);
        EXPECT_FALSE(good.exitCode) << good.err;
    }
}

// A report folder the user may not write is refused at once, not after the run.
TEST(CliOptions, AReportFolderThatCannotBeWrittenIsBadUsage) {
    if (geteuid() == 0) GTEST_SKIP() << "the super-user writes any folder";
    TemporaryFolder folder;
    std::filesystem::permissions(folder.Path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::string report = folder.File("report.json");
    const Parsed bad = Parse({"--report", report.c_str()});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find(report + ": its folder " + folder.Path().string() + " cannot be written: "),
              std::string::npos)
        << bad.err;
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
}

}  // namespace

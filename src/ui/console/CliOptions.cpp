#include "ui/console/CliOptions.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "FlashUpdaterVersion.h"
#include "link/PortChoice.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgramName = "flash-updater-cli";

// Arguments are UTF-8 on every platform (Windows: converted from the UTF-16 command line); a path
// made from a plain string would take Windows' ANSI code page instead.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string TextOf(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// A file that is there to be read: --resume's journal.
const CLI::Validator kExistingFile(
    [](std::string& value) {
        std::error_code error;
        const fs::file_status status = fs::status(PathOf(value), error);
        if (!fs::exists(status)) return "File does not exist: " + value;
        if (fs::is_directory(status)) return "File is actually a directory: " + value;
        return std::string();
    },
    "FILE", "ExistingFile");

// A support file the program writes (the trace, the debug file): an empty name, a directory or
// a symbolic link can never be one; the link is refused, not followed, when the file is opened.
const CLI::Validator kWritableFileName(
    [](std::string& value) {
        if (value.empty()) return std::string("an empty file name");
        std::error_code error;
        const fs::file_status status = fs::symlink_status(PathOf(value), error);
        if (fs::is_symlink(status)) return value + " is a symbolic link, which is not followed";
        if (fs::is_directory(PathOf(value), error)) return value + " is a directory";
        return std::string();
    },
    "", "FileName");

// Why the program cannot write `path` (a file or a folder); nothing when it can. Windows leaves
// the answer to the write itself.
std::string WriteAccess(const std::string& path) {
#ifndef _WIN32
    if (::access(path.c_str(), W_OK) != 0) return std::generic_category().message(errno);
#else
    (void)path;
#endif
    return {};
}

// The report's file: "-" (standard output), else a regular file the program may replace, in a
// folder that is there and takes a new file. A symbolic link is refused: the report replaces
// the file in one step and would put itself in place of the link, not where it points.
const CLI::Validator kReportFileName(
    [](std::string& value) {
        if (value == kReportToStandardOutput) return std::string();
        if (value.empty()) return std::string("an empty file name");
        std::error_code error;
        const fs::file_status status = fs::symlink_status(PathOf(value), error);
        if (fs::is_symlink(status)) return value + " is a symbolic link";
        if (fs::is_directory(status)) return value + " is a directory";
        if (fs::exists(status)) {
            if (!fs::is_regular_file(status)) return value + " is not a regular file";
            if (std::string denied = WriteAccess(value); !denied.empty())
                return value + " cannot be written: " + denied;
        }
        const fs::path parent = PathOf(value).parent_path();
        const std::string folder = parent.empty() ? std::string(".") : TextOf(parent);
        if (!fs::exists(PathOf(folder), error)) return value + ": its folder " + folder + " does not exist";
        if (!fs::is_directory(PathOf(folder), error)) return value + ": its folder " + folder + " is not a folder";
        if (std::string denied = WriteAccess(folder); !denied.empty())
            return value + ": its folder " + folder + " cannot be written: " + denied;
        return std::string();
    },
    "", "FileName");

// What makes two port names one port: the COM number on Windows, the device a path leads to
// on POSIX.
std::string PortIdentity(const std::string& name) {
#ifdef _WIN32
    if (const std::optional<int32_t> number = ComPortNumber(name)) return "COM" + std::to_string(*number);
    return name;
#else
    std::error_code error;
    const fs::path device = fs::weakly_canonical(name, error);
    return error ? name : device.string();
#endif
}

// The reason --port names a port twice, if it does.
std::string RepeatedPort(const std::vector<std::string>& ports) {
    for (size_t i = 0; i < ports.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            if (ports[j] == ports[i]) return "--port: " + ports[i] + " is named twice";
            if (PortIdentity(ports[j]) == PortIdentity(ports[i]))
                return "--port: " + ports[j] + " and " + ports[i] + " are the same port";
        }
    return {};
}

}  // namespace

std::optional<int> ConnectTimeoutOf(const CliOptions& options) {
    const int seconds = options.connectTimeout.value_or(options.yes ? kUnattendedConnectTimeout : 0);
    if (seconds == 0) return std::nullopt;
    return seconds;
}

std::optional<int> ParseCommandLine(int argc, const char* const* argv, CliOptions& options, std::ostream& out,
                                    std::ostream& err) {
    CLI::App app(
        "Reprograms an engine control unit through the serial interface adapter. The ports tried are "
        "those named by --port, else those named by FLASH_UPDATER_PORTS (separated by ':'), else the "
        "serial devices found.",
        kProgramName);
    app.footer(
        "Exit codes: 0 Finished OK; 3 the run changed the ECU and left it without a working program (the last "
        "lines name the journal and the --resume command that finishes the update); 1 any other end; 2 bad usage. A "
        "report (--report) that cannot be written at the end turns 0 into 1; a higher code stays.");
    app.set_version_flag("--version", std::string(kProgramName) + " " + FLASH_UPDATER_VERSION,
                         "Print the program's version and exit");
    app.add_flag("--yes", options.yes, "Answer every message box with OK and press \"Proceed ->\" once enabled");
    app.add_option("--debug-file", options.debugFile, "The file a debug report is appended to (not a symbolic link)")
        ->check(kWritableFileName)
        ->type_name("PATH");
    app.add_flag("--list-ports", options.listPorts, "Print the ports that are tried, by number, and exit");
    app.add_option("--trace", options.traceFile,
                   "Write every frame on the wire to FILE, with times and line speed (not a symbolic link)")
        ->check(kWritableFileName)
        ->type_name("FILE");
    auto* resume = app.add_option("--resume", options.resumeFile,
                                  "Write back the ECU data saved in this journal (of an interrupted run)")
                       ->check(kExistingFile)
                       ->type_name("FILE");
    auto* noResume = app.add_flag("--no-resume", options.noResume,
                                  "This ECU is not the one an interrupted update left: program it with the data "
                                  "read from it now, whatever journals there are")
                         ->excludes(resume);
    app.add_flag("--no-journal", options.noJournal,
                 "Program without saving the ECU's data first (an interruption can then lose it)")
        ->excludes(resume)
        ->excludes(noResume);
    app.add_flag("--list-journals", options.listJournals,
                 "Print the saved journals (ECU, time of the run, how far it got) and exit");
    app.add_option(
           "--port", options.ports,
           "Try only this port (repeatable, each port once, tried in the order given): a device path, on Windows "
           "COMn or n")
        ->type_name("DEV")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](const std::string& value) { return value.empty() ? std::string("an empty port name") : std::string(); },
            "", "PortName"));
    app.add_option("--connect-timeout", options.connectTimeout,
                   "Give up (exit 1) when no adapter has answered within SECONDS; 0 hunts for ever. Default: 60 "
                   "with --yes, else for ever")
        ->check(CLI::Range(0, 24 * 60 * 60))
        ->type_name("SECONDS");
    app.add_option("--report", options.reportFile,
                   "At the end of the run, write its outcome to FILE as JSON (ECU, image, times, result, exit code, "
                   "journal, checksums; ecuState: untouched, programmed or unprogrammed; resumeCommand: the --resume "
                   "command that finishes the update, or null). FILE's folder must exist. With -, the report is the "
                   "last thing written to standard output, after the run's lines")
        ->check(kReportFileName)
        ->type_name("FILE");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help() << std::flush;
        return kExitFinishedOk;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << '\n' << std::flush;
        return kExitFinishedOk;
    } catch (const CLI::ParseError& e) {
        std::string reason = e.what();
        if (const size_t end = reason.find('\n'); end != std::string::npos) reason.resize(end);
        err << kProgramName << ": " << reason << " (see --help)\n" << std::flush;
        return kExitBadUsage;
    }
    if (const std::string reason = RepeatedPort(options.ports); !reason.empty()) {
        err << kProgramName << ": " << reason << " (see --help)\n" << std::flush;
        return kExitBadUsage;
    }
    return std::nullopt;
}

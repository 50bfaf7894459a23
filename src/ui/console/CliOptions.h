#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct CliOptions {
    bool yes = false;                      // answer every message box OK, press "Proceed ->" when enabled
    std::optional<std::string> debugFile;  // the open-file dialog's answer
    bool listPorts = false;
    std::optional<std::string> traceFile;
    std::optional<std::string> resumeFile;  // a journal whose saved data the run writes back
    bool noResume = false;                  // no journal is used: the ECU is not an interrupted one
    bool noJournal = false;                 // the run keeps no journal
    bool listJournals = false;
    std::vector<std::string> ports;         // only these are tried, in this order
    std::optional<int> connectTimeout;      // seconds without an adapter's answer before giving up; 0: never
    std::optional<std::string> reportFile;  // the run's outcome as JSON, for scripts; "-": standard output
};

// The --report value that writes the report to standard output.
inline constexpr const char* kReportToStandardOutput = "-";

// Unattended runs give up on a missing adapter after this long; the operator's own runs hunt
// until stopped.
inline constexpr int kUnattendedConnectTimeout = 60;
// The connect time-out in effect: the option's, else the default for the kind of run; nothing
// when the hunt goes on for ever.
std::optional<int> ConnectTimeoutOf(const CliOptions& options);

inline constexpr int kExitFinishedOk = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitBadUsage = 2;
inline constexpr int kExitEcuUnprogrammed = 3;  // this run changed the ECU and left it without a working program

// Reads the command line into `options`. Returns an exit code when the program is to end at once:
// 0 after --help or --version (printed on `out`), 2 on bad usage with a one-line reason on `err`.
std::optional<int> ParseCommandLine(int argc, const char* const* argv, CliOptions& options, std::ostream& out,
                                    std::ostream& err);

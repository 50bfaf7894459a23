#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

class CFlashDlg;

// A run's outcome for scripts and support (--report). Absent values are written as null.
struct RunReport {
    struct Ecu {
        std::optional<std::string> vin, hardwareSerial;
        std::optional<int32_t> modelCode, variant;
        std::optional<std::string> softwareDate, softwareTime, softwareVersion;
    };

    std::string program, version;
    std::optional<std::string> port;  // the port the adapter answered on
    Ecu ecu;
    std::optional<std::string> image;
    std::chrono::system_clock::time_point startedAt, endedAt;
    std::string result;  // the last status text
    int exitCode = 0;
    std::optional<std::string> journal;
    std::string ecuState = "untouched";                   // what the run did to the ECU (EcuStateName)
    std::optional<std::string> resumeCommand;             // the command that finishes the update from its journal
    std::optional<uint16_t> baseChecksum, upperChecksum;  // as the ECU reported them
};

// The report as one JSON object: "program", "version", "port", "ecu" {"vin", "hardwareSerial",
// "modelCode", "variant", "softwareDate", "softwareTime", "softwareVersion"}, "image",
// "startedAt", "endedAt" (ISO 8601, UTC), "result", "exitCode", "journal", "ecuState" ("untouched", "programmed",
// "unprogrammed"), "resumeCommand" (the flash-updater-cli --resume command that finishes the update), "checksums"
// {"base", "upper"} (hex text such as "E314").
std::string RunReportJson(const RunReport& report);

// "2026-12-10T13:06:03Z"
std::string Iso8601Utc(std::chrono::system_clock::time_point time);

// What the dialog knows of its run, once the run has been closed (its receive thread has ended).
RunReport DescribeRun(const CFlashDlg& dlg, const std::string& result, int exitCode);

// Replaces the file in one step: a script never reads half a report. A folder that is missing
// is not made. False with the reason.
bool WriteRunReport(const std::string& path, const std::string& json, std::string& reason);

// The report where --report sends it: "-" onto `out` (after everything the run printed there),
// else the file, as WriteRunReport writes it. False with the reason.
bool DeliverRunReport(const std::string& target, const std::string& json, std::ostream& out, std::string& reason);

// The program's exit code once the report was, or was not, written: a report that is missing
// fails a run that went well (1); a run that failed keeps its own code.
int ExitCodeWithReport(int exitCode, bool reportWritten);

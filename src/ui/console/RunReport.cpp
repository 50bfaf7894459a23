#include "ui/console/RunReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <system_error>

#include "app/CFlashDlg.h"
#include "app/RecoveryText.h"
#include "ecu/PrintableText.h"
#include "ecu/RecordTexts.h"
#include "images/ImageCatalogue.h"
#include "platform/FolderStorage.h"
#include "platform/PortEnumerator.h"
#include "ui/console/CliOptions.h"

namespace {

using nlohmann::json;

template <typename T>
json OrNull(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

json Checksum(const std::optional<uint16_t>& value) {
    if (!value) return nullptr;
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(*value));
    return text;
}

// An ECU text field up to its zero; nothing when the ECU never filled it.
std::optional<std::string> FieldText(std::span<const char> field) {
    const void* zero = std::memchr(field.data(), 0, field.size());
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - field.data()) : field.size();
    if (length == 0) return std::nullopt;
    return PrintableText(std::string_view(field.data(), length));
}

bool AllZero(std::span<const uint8_t> record) {
    return std::all_of(record.begin(), record.end(), [](uint8_t b) { return b == 0; });
}

std::optional<uint16_t> Reported(int32_t checksum) {
    if (checksum < 0) return std::nullopt;
    return static_cast<uint16_t>(checksum);
}

}  // namespace

std::string Iso8601Utc(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{floor<seconds>(time - day)};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string RunReportJson(const RunReport& report) {
    const RunReport::Ecu& ecu = report.ecu;
    const json document = {
        {"program", report.program},
        {"version", report.version},
        {"port", OrNull(report.port)},
        {"ecu",
         {{"vin", OrNull(ecu.vin)},
          {"hardwareSerial", OrNull(ecu.hardwareSerial)},
          {"modelCode", OrNull(ecu.modelCode)},
          {"variant", OrNull(ecu.variant)},
          {"softwareDate", OrNull(ecu.softwareDate)},
          {"softwareTime", OrNull(ecu.softwareTime)},
          {"softwareVersion", OrNull(ecu.softwareVersion)}}},
        {"image", OrNull(report.image)},
        {"startedAt", Iso8601Utc(report.startedAt)},
        {"endedAt", Iso8601Utc(report.endedAt)},
        {"result", report.result},
        {"exitCode", report.exitCode},
        {"journal", OrNull(report.journal)},
        {"ecuState", report.ecuState},
        {"resumeCommand", OrNull(report.resumeCommand)},
        {"checksums", {{"base", Checksum(report.baseChecksum)}, {"upper", Checksum(report.upperChecksum)}}},
    };
    // Texts from the ECU or a file system need not be UTF-8: such bytes are replaced, not fatal.
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

RunReport DescribeRun(const CFlashDlg& dlg, const std::string& result, int exitCode) {
    RunReport report;
    if (dlg.hunt.Answered()) report.port = dlg.platform.ports.PortName(dlg.CurrentPort());
    RunReport::Ecu& ecu = report.ecu;
    if (!AllZero(dlg.ecuDataSnapshot.ident90)) ecu.vin = PrintableText(VinText(dlg.ecuDataSnapshot.ident90));
    if (!AllZero(dlg.ecuDataSnapshot.ident92)) ecu.hardwareSerial = HardwareSerialText(dlg.ecuDataSnapshot.ident92);
    if (dlg.modelKnown) {
        ecu.modelCode = dlg.modelCode;
        ecu.variant = dlg.variant;
    }
    ecu.softwareDate = FieldText(dlg.ecuIdentification.softwareDate);
    ecu.softwareTime = FieldText(dlg.ecuIdentification.softwareTime);
    ecu.softwareVersion = FieldText(dlg.ecuIdentification.currentVersion);
    if (const ImageCatalogueEntry* image = FindCatalogueEntry(dlg.imageIndex)) report.image = image->name;
    report.result = result;
    report.exitCode = exitCode;
    if (std::string journal = dlg.JournalPath(); !journal.empty()) report.journal = std::move(journal);
    report.ecuState = EcuStateName(dlg.EcuStateNow());
    if (const std::string resume = dlg.JournalToResume(); !resume.empty())
        report.resumeCommand = ResumeCommandFor(resume);
    report.baseChecksum = Reported(dlg.reportedBaseChecksum);
    report.upperChecksum = Reported(dlg.reportedUpperChecksum);
    return report;
}

bool WriteRunReport(const std::string& path, const std::string& json, std::string& reason) {
    // The folder was there at the start; one gone since is not made again somewhere unexpected.
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (std::error_code error; !parent.empty() && !std::filesystem::is_directory(parent, error)) {
        reason = "the folder " + parent.string() + " is gone";
        return false;
    }
    FolderStorage folder("");
    const auto* bytes = reinterpret_cast<const uint8_t*>(json.data());
    return folder.WriteAtomically(path, std::span<const uint8_t>(bytes, json.size()), reason);
}

bool DeliverRunReport(const std::string& target, const std::string& json, std::ostream& out, std::string& reason) {
    if (target != kReportToStandardOutput) return WriteRunReport(target, json, reason);
    out << json << std::flush;
    if (out) return true;
    reason = "standard output cannot be written";
    return false;
}

int ExitCodeWithReport(int exitCode, bool reportWritten) { return reportWritten ? exitCode : std::max(exitCode, 1); }

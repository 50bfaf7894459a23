#include "log/DebugReport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Texts.h"
#include "ecu/ModelNames.h"
#include "ecu/PrintableText.h"
#include "ecu/RecordTexts.h"

namespace {

std::size_t BoundedLength(const char* text, std::size_t limit) {
    const void* zero = std::memchr(text, '\0', limit);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : limit;
}

// Appends as much of `text` as fits, always leaving the terminating zero.
void Append(DebugReportText& report, std::string_view text) {
    const std::size_t used = BoundedLength(report.data(), report.size() - 1);
    const std::size_t room = report.size() - 1 - used;
    const std::size_t count = std::min(room, text.size());
    std::memcpy(report.data() + used, text.data(), count);
    report[used + count] = '\0';
}

// Formats one line into its own buffer first, as every line of the report is.
template <typename... Args>
void AppendLine(DebugReportText& report, const char* format, Args... args) {
    DebugLine line{};
    std::snprintf(line.data(), line.size(), format, args...);
    Append(report, line.data());
}

}  // namespace

DebugLine FormatNegativeResponseHeader(uint8_t refusedService, uint8_t responseCode, int32_t sessionStage) {
    DebugLine line{};
    std::snprintf(line.data(), line.size(), Text::NegativeResponseLine, static_cast<unsigned>(refusedService),
                  static_cast<unsigned>(responseCode), static_cast<int>(sessionStage));
    return line;
}

void FormatDebugReport(DebugReportText& report, const DebugReportInputs& inputs) {
    report.fill('\0');
    Append(report, inputs.header.substr(0, kDebugLineSize - 1));

    // The ECU's own texts may hold anything; the file is read in editors and terminals.
    AppendLine(report, "VIN = %s\n", PrintableText(VinText(inputs.vin)).c_str());
    AppendLine(report, "ECU HW serial num = %s\n", HardwareSerialText(inputs.hardwareSerial).c_str());

    AppendLine(report, "Trying to upgrade to %s\n", ModelName(inputs.imageIndex));

    const auto& field = inputs.currentVersion;
    const std::string version(field.data(), BoundedLength(field.data(), std::min<std::size_t>(4, field.size())));
    AppendLine(report, "Currently @ %s\n", PrintableText(version).c_str());

    const std::string timestamp(inputs.timestamp.substr(0, kTimestampSize - 1));
    AppendLine(report, "Timestamp: %s \n", timestamp.c_str());
}

TimestampText FormatReportTimestamp(const std::tm& localTime) {
    TimestampText text{};
#ifdef _WIN32
    const char* longForm = "%#c";
#else
    const char* longForm = "%c";
#endif
    if (std::strftime(text.data(), text.size(), longForm, &localTime) == 0) text[0] = '\0';
    return text;
}

#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <span>
#include <string_view>

inline constexpr std::size_t kDebugReportSize = 1024;
inline constexpr std::size_t kDebugLineSize = 256;
inline constexpr std::size_t kTimestampSize = 128;

using DebugReportText = std::array<char, kDebugReportSize>;
using DebugLine = std::array<char, kDebugLineSize>;
using TimestampText = std::array<char, kTimestampSize>;

// What a debug report tells about the run, taken from the dialog's state.
struct DebugReportInputs {
    std::string_view header;           // the negative-response line, with its line breaks
    std::span<const uint8_t, 17> vin;  // the VIN record as stored
    std::span<const uint8_t, 4> hardwareSerial;
    int32_t imageIndex;
    std::span<const char> currentVersion;  // the version field; need not hold a zero
    std::string_view timestamp;
};

// The header line of a report on a refused request.
DebugLine FormatNegativeResponseHeader(uint8_t refusedService, uint8_t responseCode, int32_t sessionStage);

// Zero-fills the report and writes the header and the five lines into it; whatever the inputs,
// the text stays inside the buffer and ends with a zero.
void FormatDebugReport(DebugReportText& report, const DebugReportInputs& inputs);

// The operator's long local date-and-time form; empty when it cannot be formatted.
TimestampText FormatReportTimestamp(const std::tm& localTime);

// The report on any snapshot and texts: the first 17 bytes are the VIN record, the next 4 the
// hardware serial, then the image index and the 5-byte version field; the rest is split into the
// header and the time text at the position its first byte gives. The report must stay inside its
// buffer, end with a zero and begin with the header as far as the header fits.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "log/DebugReport.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr std::size_t kFixedPart = 17 + 4 + 1 + 5;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < kFixedPart + 1) return 0;
    const std::span<const uint8_t, 17> vin(data, 17);
    const std::span<const uint8_t, 4> serial(data + 17, 4);
    const int32_t imageIndex = static_cast<int8_t>(data[21]);
    const std::span<const char> version(reinterpret_cast<const char*>(data + 22), 5);
    const std::string_view rest(reinterpret_cast<const char*>(data + kFixedPart + 1), size - kFixedPart - 1);
    const std::size_t split = rest.empty() ? 0 : data[kFixedPart] % (rest.size() + 1);
    const std::string_view header = rest.substr(0, split);
    const std::string_view timestamp = rest.substr(split);

    static DebugReportText report;
    FormatDebugReport(report, {header, vin, serial, imageIndex, version, timestamp});
    const void* end = std::memchr(report.data(), '\0', report.size());
    Require(end != nullptr);
    const std::string_view expectedStart = header.substr(0, std::min(header.find('\0'), kDebugLineSize - 1));
    Require(std::string_view(report.data(), expectedStart.size()) == expectedStart);
    return 0;
}

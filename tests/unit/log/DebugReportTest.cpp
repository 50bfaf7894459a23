#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "VirtualClock.h"
#include "log/DebugReport.h"

namespace {

struct ReportFields {
    std::string header = "\nNegative Response received: verb= 0x3b response= 0x33 state = 4\n";
    std::array<uint8_t, 17> vin{'W', 'V', 'W', 'Z', 'Z', 'Z', '1', 'K', 'Z', 'A', 'W', '0', '0', '0', '1', '2', '3'};
    std::array<uint8_t, 4> serial{0x03, 0x12, 0xAB, 0x05};
    int32_t imageIndex = 1;
    std::array<char, 5> version{'4', '7', '7', 'E', '\0'};
    std::string timestamp = "Thu Dec 10 13:06:03 2026";

    std::string Format() const {
        DebugReportText report;
        report.fill('x');
        FormatDebugReport(report, {header, vin, serial, imageIndex, version, timestamp});
        EXPECT_NE(std::memchr(report.data(), '\0', report.size()), nullptr);
        return report.data();
    }
};

std::string HeaderOf(uint8_t service, uint8_t code, int32_t stage) {
    return FormatNegativeResponseHeader(service, code, stage).data();
}

TEST(DebugReport, BlockHasTheHeaderAndFiveLines) {
    EXPECT_EQ(ReportFields{}.Format(),
              "\nNegative Response received: verb= 0x3b response= 0x33 state = 4\n"
              "VIN = WVWZZZ1KZAW000123\n"
              "ECU HW serial num = C12ab_05\n"
              "Trying to upgrade to K410\n"
              "Currently @ 477E\n"
              "Timestamp: Thu Dec 10 13:06:03 2026 \n");
}

TEST(DebugReport, HeaderPrintsZeroAsBlankAndZero) {
    EXPECT_EQ(HeaderOf(0x3b, 0x33, 4), "\nNegative Response received: verb= 0x3b response= 0x33 state = 4\n");
    EXPECT_EQ(HeaderOf(0x3d, 0x10, 1), "\nNegative Response received: verb= 0x3d response= 0x10 state = 1\n");
    EXPECT_EQ(HeaderOf(0x00, 0x00, 0), "\nNegative Response received: verb=  0 response=  0 state = 0\n");
    EXPECT_EQ(HeaderOf(0x01, 0xff, 6), "\nNegative Response received: verb= 0x1 response= 0xff state = 6\n");
}

TEST(DebugReport, SerialLetterFromFirstByte) {
    const struct {
        uint8_t first;
        const char* line;
    } cases[] = {
        {0, "ECU HW serial num = @12ab_05\n"},    {1, "ECU HW serial num = A12ab_05\n"},
        {26, "ECU HW serial num = Z12ab_05\n"},   {27, "ECU HW serial num = @12ab_05\n"},
        {0xFF, "ECU HW serial num = @12ab_05\n"},
    };
    for (const auto& c : cases) {
        ReportFields fields;
        fields.serial[0] = c.first;
        EXPECT_NE(fields.Format().find(c.line), std::string::npos) << int(c.first);
    }
}

TEST(DebugReport, UnreadRecordsPrintTheFallbacks) {
    ReportFields fields;
    fields.vin.fill(0);
    fields.serial.fill(0);
    fields.version.fill(0);
    fields.timestamp.clear();
    const std::string report = fields.Format();
    EXPECT_NE(report.find("VIN = \nECU HW serial num = @0000_00\n"), std::string::npos);
    EXPECT_NE(report.find("Currently @ \nTimestamp:  \n"), std::string::npos);
}

TEST(DebugReport, VinEndsAtItsFirstZeroByte) {
    ReportFields fields;
    fields.vin[5] = 0;
    EXPECT_NE(fields.Format().find("VIN = WVWZZ\n"), std::string::npos);
}

TEST(DebugReport, ImagesWithoutNameShowQuestionMarks) {
    for (int32_t index : {0, 6, 10, -1}) {
        ReportFields fields;
        fields.imageIndex = index;
        EXPECT_NE(fields.Format().find("Trying to upgrade to ????\n"), std::string::npos) << index;
    }
    ReportFields fields;
    fields.imageIndex = 9;
    EXPECT_NE(fields.Format().find("Trying to upgrade to V970\n"), std::string::npos);
}

TEST(DebugReport, VersionWithoutTerminatorTakesFourCharacters) {
    ReportFields fields;
    fields.version = {'1', '2', '3', 'E', 'Q'};
    EXPECT_NE(fields.Format().find("Currently @ 123E\n"), std::string::npos);
}

// Oversized parts are cut where their buffers end; the report stays inside its 1024 bytes.
TEST(DebugReport, OversizedPartsStayInsideTheBuffers) {
    ReportFields fields;
    fields.header = std::string(2000, 'h');
    fields.timestamp = std::string(2000, 't');
    const std::string report = fields.Format();
    EXPECT_EQ(report.substr(0, 256), std::string(255, 'h') + "V");
    EXPECT_LE(report.size(), kDebugReportSize - 1);
    EXPECT_NE(report.find("Timestamp: " + std::string(127, 't') + " \n"), std::string::npos);
}

TEST(DebugReport, TimestampIsTheLocaleLongForm) {
    const std::tm time = VirtualClock::CalendarTime(2026, 12, 10, 13, 6, 3);
    EXPECT_STREQ(FormatReportTimestamp(time).data(), "Thu Dec 10 13:06:03 2026");  // the "C" locale's form
}

}  // namespace

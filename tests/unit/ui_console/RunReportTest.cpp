// The JSON a run leaves for scripts and support with --report.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "TemporaryFolder.h"
#include "ui/console/RunReport.h"

namespace {

using nlohmann::json;

std::chrono::system_clock::time_point Utc(int y, unsigned m, unsigned d, int hh, int mm, int ss) {
    using namespace std::chrono;
    return sys_days{year{y} / month{m} / day{d}} + hours{hh} + minutes{mm} + seconds{ss};
}

TEST(RunReport, TimesAreIso8601InUtc) {
    EXPECT_EQ(Iso8601Utc(Utc(2026, 12, 10, 13, 6, 3)), "2026-12-10T13:06:03Z");
    EXPECT_EQ(Iso8601Utc(Utc(2027, 1, 1, 0, 0, 0) - std::chrono::milliseconds(1)), "2026-12-31T23:59:59Z");
}

TEST(RunReport, AFinishedRunHasEveryField) {
    RunReport report;
    report.program = "flash-updater-cli";
    report.version = "1.0";
    report.port = "/dev/ttyUSB0";
    report.ecu = {"WVWZZZ1KZAW000123", "C12ab_05", 17, 1, "Mar 14 2010", "09:30:00", "304E"};
    report.image = "P640";
    report.startedAt = Utc(2026, 12, 10, 13, 6, 3);
    report.endedAt = Utc(2026, 12, 10, 13, 8, 41);
    report.result = "Finished OK";
    report.exitCode = 0;
    report.journal = "/home/ann/.local/state/flash-updater/r.journal";
    report.ecuState = "programmed";
    report.baseChecksum = 0xE314;
    report.upperChecksum = 0x0A0B;

    const json parsed = json::parse(RunReportJson(report));
    const json expected = {
        {"program", "flash-updater-cli"},
        {"version", "1.0"},
        {"port", "/dev/ttyUSB0"},
        {"ecu",
         {{"vin", "WVWZZZ1KZAW000123"},
          {"hardwareSerial", "C12ab_05"},
          {"modelCode", 17},
          {"variant", 1},
          {"softwareDate", "Mar 14 2010"},
          {"softwareTime", "09:30:00"},
          {"softwareVersion", "304E"}}},
        {"image", "P640"},
        {"startedAt", "2026-12-10T13:06:03Z"},
        {"endedAt", "2026-12-10T13:08:41Z"},
        {"result", "Finished OK"},
        {"exitCode", 0},
        {"journal", "/home/ann/.local/state/flash-updater/r.journal"},
        {"ecuState", "programmed"},
        {"resumeCommand", nullptr},
        {"checksums", {{"base", "E314"}, {"upper", "0A0B"}}},
    };
    EXPECT_EQ(parsed, expected) << parsed.dump(1);
}

TEST(RunReport, WhatNeverCameIsNullAndNoTextBreaksTheJson) {
    RunReport report;
    report.result = "Connecting to Com Port  [  1  ]";
    report.exitCode = 1;
    report.ecu.vin = std::string("\xff\xfe\"\\", 4);  // the ECU's bytes, not UTF-8
    const json parsed = json::parse(RunReportJson(report));
    for (const char* field : {"port", "image", "journal", "resumeCommand"})
        EXPECT_TRUE(parsed[field].is_null()) << field;
    for (const char* field :
         {"hardwareSerial", "modelCode", "variant", "softwareDate", "softwareTime", "softwareVersion"})
        EXPECT_TRUE(parsed["ecu"][field].is_null()) << field;
    EXPECT_TRUE(parsed["checksums"]["base"].is_null());
    EXPECT_TRUE(parsed["checksums"]["upper"].is_null());
    EXPECT_EQ(parsed["ecu"]["vin"], "\xEF\xBF\xBD\xEF\xBF\xBD\"\\");
    EXPECT_EQ(parsed["exitCode"], 1);
}

TEST(RunReport, IsWrittenWholeInPlaceOfAnEarlierOne) {
    TemporaryFolder folder;
    const std::string path = folder.File("report.json");
    TemporaryFolder::WriteAll(path, "an earlier, longer report that must not show through");
    std::string reason;
    ASSERT_TRUE(WriteRunReport(path, "{}\n", reason)) << reason;
    EXPECT_EQ(TemporaryFolder::ReadAll(path), "{}\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"report.json"}) << "no temporary file is left";
    EXPECT_FALSE(WriteRunReport(folder.File("report.json/inside"), "{}\n", reason));
    EXPECT_FALSE(reason.empty());
}

// With "-" the report follows what the run printed. A folder gone since the start is not made
// again: the report is missing, with the reason.
TEST(RunReport, GoesToStandardOutputOrItsFileAndIsNeverPutInAFolderMadeForIt) {
    std::ostringstream out("the run's last line\n", std::ios::ate);
    std::string reason;
    ASSERT_TRUE(DeliverRunReport("-", "{}\n", out, reason)) << reason;
    EXPECT_EQ(out.str(), "the run's last line\n{}\n");

    TemporaryFolder folder;
    const std::string gone = folder.File("gone/report.json");
    EXPECT_FALSE(DeliverRunReport(gone, "{}\n", out, reason));
    EXPECT_EQ(reason, "the folder " + folder.File("gone") + " is gone");
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_TRUE(DeliverRunReport(folder.File("report.json"), "{}\n", out, reason)) << reason;
    EXPECT_EQ(TemporaryFolder::ReadAll(folder.File("report.json")), "{}\n");

    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_FALSE(DeliverRunReport("-", "{}\n", broken, reason));
    EXPECT_EQ(reason, "standard output cannot be written");
}

TEST(RunReport, AReportNotWrittenFailsARunThatWentWellAndKeepsAWorseCode) {
    const struct {
        int run;
        bool written;
        int exit;
    } cases[] = {{0, true, 0}, {1, true, 1}, {3, true, 3}, {0, false, 1}, {1, false, 1}, {3, false, 3}};
    for (const auto& c : cases) EXPECT_EQ(ExitCodeWithReport(c.run, c.written), c.exit) << c.run << c.written;
}

}  // namespace

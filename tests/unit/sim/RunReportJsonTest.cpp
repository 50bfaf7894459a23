#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/RunReport.h"

namespace {

TEST(RunReportJson, WritesEveryPartAndEscapesAnyByte) {
    sim::RunReport report;
    report.requestsPerService = {{0x21, 3}, {0x3D, 12}};
    report.changedRecords.push_back({"21 17", {0x01, 0x02}, {0xFF, 0xFF}});
    report.areas.push_back({"base", 0, 0x20000, 0xE314, true});
    report.history.push_back(std::vector<uint8_t>(16, 0));
    report.date = std::string("\xFF\"x\\", 4);
    report.faults.push_back({"drop@3D", 1});
    report.violations = {"3B 12 carries 4 data bytes, not 5"};
    report.updateFinished = true;
    const std::string text = sim::ReportJson(report);
    const auto json = nlohmann::json::parse(text);
    EXPECT_EQ(json["requestsPerService"], (nlohmann::json{{"21", 3}, {"3D", 12}}));
    EXPECT_EQ(json["changedRecords"][0], (nlohmann::json{{"record", "21 17"}, {"atStart", "0102"}, {"now", "FFFF"}}));
    EXPECT_EQ(json["areas"][0],
              (nlohmann::json{{"name", "base"}, {"begin", 0}, {"end", 131072}, {"crc", "E314"}, {"erased", true}}));
    EXPECT_EQ(json["history"][0], "00000000000000000000000000000000");
    EXPECT_EQ(json["identity"]["date"], "\u00FF\"x\\");
    EXPECT_EQ(json["faults"][0], (nlohmann::json{{"rule", "drop@3D"}, {"hits", 1}}));
    EXPECT_EQ(json["violations"], (nlohmann::json{"3B 12 carries 4 data bytes, not 5"}));
    EXPECT_EQ(json["updateFinished"], true);
    EXPECT_EQ(json["lineCut"], false);
    EXPECT_EQ(text.find_first_of("\x80\xFF"), std::string::npos) << "plain ASCII on disk";
}

}  // namespace

#include <gtest/gtest.h>

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
    report.updateFinished = true;
    const std::string json = sim::ReportJson(report);
    for (const char* part : {"\"requestsPerService\": {\"21\": 3, \"3D\": 12}",
                             "{\"record\": \"21 17\", \"atStart\": \"0102\", \"now\": \"FFFF\"}",
                             "{\"name\": \"base\", \"begin\": 0, \"end\": 131072, \"crc\": \"E314\", \"erased\": true}",
                             "\"00000000000000000000000000000000\"", "\"date\": \"\\u00FF\\\"x\\\\\"",
                             "{\"rule\": \"drop@3D\", \"hits\": 1}", "\"updateFinished\": true", "\"lineCut\": false"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

} // namespace

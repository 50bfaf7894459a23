#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

// What a run did to the ECU, for tests and for ecu-sim --report.
struct RunReport {
    struct RecordDifference {
        std::string record;  // "21 17", "21 1E 00"
        std::vector<uint8_t> atStart;
        std::vector<uint8_t> now;
    };
    struct Area {
        std::string name;  // "base", "upper"
        uint32_t begin = 0;
        uint32_t end = 0;
        uint16_t crc = 0;
        bool erased = false;  // erased during the run
    };
    struct FaultTally {
        std::string rule;
        uint32_t hits = 0;
    };

    std::map<uint8_t, uint32_t> requestsPerService;  // well-formed frames, adapter commands included
    std::vector<RecordDifference> changedRecords;
    std::vector<Area> areas;
    std::vector<std::vector<uint8_t>> history;  // the 10 entries of 16 bytes, as the ECU holds them now
    std::string date, time, version;            // the info block in flash now
    uint8_t modelCode = 0;
    uint8_t variant = 0;
    uint32_t garbledBytes = 0;  // bytes that arrived at a speed other than the adapter's
    uint32_t badFrames = 0;     // frames dropped for a bad sum, a bad length or a pause
    uint32_t ignoredWhileBooting = 0;
    uint32_t busyAnswers = 0;      // requests answered 7F xx 21 while the ECU erased
    uint32_t sessionTimeouts = 0;  // sessions the ECU left because no request came in time
    std::vector<FaultTally> faults;
    // What a real ECU or adapter would have objected to, one short text each: requests while
    // erasing, writes of the wrong length or record sum, write-memory requests that are not a
    // whole tag, line settings other than 8N1 without flow control. Empty for a correct program.
    std::vector<std::string> violations;
    bool diagnosticsCleared = false;
    bool updateFinished = false;
    bool lineCut = false;
};

std::string ReportJson(const RunReport& report);

}  // namespace sim

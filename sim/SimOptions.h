#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FaultRule.h"

namespace sim {

// Who the ECU is before any update: the info block of the older firmware it holds.
struct StartIdentity {
    uint8_t modelCode = 0;
    uint8_t variant = 0;
    std::string date = "Mar 14 2010";  // 11 characters
    std::string time = "09:30:00";     // 8 characters
    std::string version = "304E";      // 4 characters
};

struct SimOptions {
    StartIdentity identity;
    int keyVariant = 1;                  // the level-5 key variant the ECU accepts: 1 or 2; 0: neither
    uint32_t eraseMs = 1500;             // erasing one flash area
    uint32_t bootMs = 1500;              // silence after a reset
    uint32_t responseMs = 10;            // from the end of a request to the start of its answer
    uint32_t switchMs = 400;             // from 02 94 96 to the adapter running at 38400 (at most 400)
    uint32_t flashSize = 0;              // end of the upper area; 0: 0x40000 for model codes 0 and 1, else 0x60000
    std::string adapterVersion = "123";  // three ASCII digits of the D0 answer
    uint64_t seed = 1;                   // records, seeds, random faults
    bool paceLine = true;                // bytes take 10 bit times each at the current baud
    // The VIN before any update (17 characters; empty: an ECU never given one, 17 bytes 0xFF);
    // unset: a valid VIN made from the seed.
    std::optional<std::string> vin;
    bool keepIdentity = false;  // a base erase leaves the VIN and hardware serial as they were
    bool noHistory = false;     // the ECU has no local identifier 0x69 (programming history)
    // The ECU goes back to its default session, locked, when no request has come for this long
    // after its last answer (a real ECU's P3max); 0: never.
    uint32_t sessionTimeoutMs = 0;
    std::vector<FaultRule> faults;
};

uint32_t FlashSizeFor(const SimOptions& options);

}  // namespace sim

#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "FaultRule.h"
#include "Prng.h"

namespace sim {

// The faults of one run and how often each has hit.
class FaultPlan {
public:
    FaultPlan(std::vector<FaultRule> rules, uint64_t seed);

    // The faults that hit this request. Call once for every request the adapter takes.
    std::vector<const FaultRule*> Hits(std::span<const uint8_t> payload);

    struct Tally {
        const FaultRule* rule;
        uint32_t hits;
    };
    std::vector<Tally> Tallies() const;

private:
    struct Entry {
        FaultRule rule;
        uint32_t seen = 0;
        uint32_t hits = 0;
    };
    std::vector<Entry> entries_;
    Prng prng_;
};

}  // namespace sim

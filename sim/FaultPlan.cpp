#include "FaultPlan.h"

#include <algorithm>

namespace sim {

FaultPlan::FaultPlan(std::vector<FaultRule> rules, uint64_t seed) : prng_(seed ^ 0xFA017ull) {
    for (auto& rule : rules) entries_.push_back({std::move(rule)});
}

std::vector<const FaultRule*> FaultPlan::Hits(std::span<const uint8_t> payload) {
    std::vector<const FaultRule*> hits;
    for (Entry& e : entries_) {
        const auto& match = e.rule.match;
        if (match.size() > payload.size() || !std::equal(match.begin(), match.end(), payload.begin())) continue;
        ++e.seen;
        if (e.seen < e.rule.nth) continue;
        if (!e.rule.always && e.hits >= e.rule.count) continue;
        if (e.rule.randomPercent != 0 && !prng_.Chance(e.rule.randomPercent)) continue;
        ++e.hits;
        hits.push_back(&e.rule);
    }
    return hits;
}

std::vector<FaultPlan::Tally> FaultPlan::Tallies() const {
    std::vector<Tally> tallies;
    for (const Entry& e : entries_) tallies.push_back({&e.rule, e.hits});
    return tallies;
}

}  // namespace sim

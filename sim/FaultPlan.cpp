#include "FaultPlan.h"

#include <algorithm>

namespace sim {

FaultPlan::FaultPlan(std::vector<FaultSpec> specs, uint64_t seed) : prng_(seed ^ 0xFA017ull) {
    for (auto& spec : specs) entries_.push_back({std::move(spec)});
}

std::vector<const FaultSpec*> FaultPlan::Hits(std::span<const uint8_t> payload) {
    std::vector<const FaultSpec*> hits;
    for (Entry& e : entries_) {
        const auto& match = e.spec.match;
        if (match.size() > payload.size() || !std::equal(match.begin(), match.end(), payload.begin())) continue;
        ++e.seen;
        if (e.seen < e.spec.nth) continue;
        if (!e.spec.always && e.hits >= e.spec.count) continue;
        if (e.spec.randomPercent != 0 && !prng_.Chance(e.spec.randomPercent)) continue;
        ++e.hits;
        hits.push_back(&e.spec);
    }
    return hits;
}

bool FaultPlan::SilentAdapter() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& e) { return e.spec.action == FaultAction::SilentAdapter; });
}

std::vector<FaultPlan::Tally> FaultPlan::Tallies() const {
    std::vector<Tally> tallies;
    for (const Entry& e : entries_) tallies.push_back({&e.spec, e.hits});
    return tallies;
}

} // namespace sim

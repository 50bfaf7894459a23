#pragma once

#include <cstdint>

// splitmix64: small, fast and the same sequence on every machine, so a seed gives the same
// generated image and the same simulated ECU everywhere.
class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint8_t NextByte() { return static_cast<uint8_t>(Next() >> 56); }
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
    // True with the given chance in percent.
    bool Chance(uint32_t percent) { return Next() % 100 < percent; }

private:
    uint64_t state_;
};

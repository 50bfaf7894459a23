#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Bytes written, rate and time left of one flash area's write, measured from the first
// progress report of the area on.
class WriteRateMeter {
public:
    using Time = std::chrono::steady_clock::time_point;

    // "12288 of 131072 bytes, 3.8 kB/s, 31 s left"; rate and time left once there is a rate.
    // Fewer bytes than last time mean the area is being written anew: the measurement restarts.
    std::string Describe(Time now, uint64_t written, uint64_t total);
    void Restart() { start_.reset(); }

private:
    struct Mark {
        Time time;
        uint64_t written;
    };
    std::optional<Mark> start_;
    uint64_t lastWritten_ = 0;
};

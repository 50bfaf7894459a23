#pragma once

#include <cstdint>
#include <ctime>

// All waiting and all reading of the time goes through this, so whole updates can run in
// virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(uint32_t ms) = 0;
    // Local calendar time; false when it cannot be had.
    virtual bool LocalTime(std::tm& out) = 0;
};

#pragma once

#include <cstdint>
#include <ctime>

// All waiting and all reading of the time goes through this, so whole updates can run in
// virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    // Sleeps `ms` milliseconds. Returns false at once, without waiting the rest, once the waits
    // have been cut (the link is stopping), until they are allowed again.
    virtual bool Sleep(uint32_t ms) = 0;
    // Any thread: wakes every sleeper and makes later sleeps return at once.
    virtual void CutWaits() = 0;
    virtual void AllowWaits() = 0;
    // Local calendar time; false when it cannot be had.
    virtual bool LocalTime(std::tm& out) = 0;
};

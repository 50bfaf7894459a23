#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/Clock.h"

// Real time for the desktop program: sleeps on a condition that a cut wakes at once.
class WallClock final : public Clock {
public:
    bool Sleep(uint32_t ms) override;
    void CutWaits() override;
    void AllowWaits() override;
    bool LocalTime(std::tm& out) override;

private:
    std::mutex mutex_;
    std::condition_variable cut_;
    bool waitsCut_ = false;
};

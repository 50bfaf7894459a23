#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/Clock.h"

// Real time. Sleeps wait on a condition variable, so cutting the waits ends them at once.
class PosixClock final : public Clock {
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

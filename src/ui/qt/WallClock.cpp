#include "ui/qt/WallClock.h"

#include <chrono>
#include <ctime>

bool WallClock::Sleep(uint32_t ms) {
    std::unique_lock lock(mutex_);
    return !cut_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return waitsCut_; });
}

void WallClock::CutWaits() {
    {
        std::lock_guard lock(mutex_);
        waitsCut_ = true;
    }
    cut_.notify_all();
}

void WallClock::AllowWaits() {
    std::lock_guard lock(mutex_);
    waitsCut_ = false;
}

bool WallClock::LocalTime(std::tm& out) {
    const std::time_t now = std::time(nullptr);
    return localtime_r(&now, &out) != nullptr;
}

#include "platform/posix/PosixClock.h"

#include <chrono>
#include <ctime>

bool PosixClock::Sleep(uint32_t ms) {
    std::unique_lock lock(mutex_);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    return !cut_.wait_until(lock, until, [this] { return waitsCut_; });
}

void PosixClock::CutWaits() {
    std::lock_guard lock(mutex_);
    waitsCut_ = true;
    cut_.notify_all();
}

void PosixClock::AllowWaits() {
    std::lock_guard lock(mutex_);
    waitsCut_ = false;
}

bool PosixClock::LocalTime(std::tm& out) {
    const std::time_t now = std::time(nullptr);
    return now != static_cast<std::time_t>(-1) && localtime_r(&now, &out) != nullptr;
}

#include "VirtualClock.h"

bool VirtualClock::Sleep(uint32_t ms) {
    if (waitsCut_) return false;
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(ms);
    }
    const uint64_t until = nowMs_ + ms;
    if (sleepHook_) sleepHook_(until);
    AdvanceTo(until);
    return true;
}

bool VirtualClock::LocalTime(std::tm& out) {
    std::lock_guard lock(mutex_);
    out = localTime_;
    return localTimeAvailable_;
}

void VirtualClock::AdvanceTo(uint64_t ms) {
    if (ms > nowMs_) nowMs_ = ms;
}

void VirtualClock::SetLocalTime(const std::tm& time, bool available) {
    std::lock_guard lock(mutex_);
    localTime_ = time;
    localTimeAvailable_ = available;
}

std::vector<uint32_t> VirtualClock::Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

#include "VirtualClock.h"

#include <chrono>

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

std::tm VirtualClock::CalendarTime(int year, unsigned month, unsigned day, int hour, int minute, int second) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    const sys_days days{date};
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = static_cast<int>(month) - 1;
    time.tm_mday = static_cast<int>(day);
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_wday = static_cast<int>(weekday{days}.c_encoding());
    time.tm_yday = static_cast<int>((days - sys_days{year_month_day{date.year(), January, 1d}}).count());
    return time;
}

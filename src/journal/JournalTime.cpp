#include "journal/JournalTime.h"

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

using namespace std::chrono;

// The C library's conversions to and from local time share static state.
std::mutex& LocalTimeMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string Format(const char* format, unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                   unsigned second) {
    char text[32];
    std::snprintf(text, sizeof text, format, year, month, day, hour, minute, second);
    return text;
}

constexpr const char* kShown = "%04u-%02u-%02u %02u:%02u:%02u";

std::string Printed(const JournalTime& t) { return Format(kShown, t.year, t.month, t.day, t.hour, t.minute, t.second); }

}  // namespace

std::optional<JournalTime> JournalTimeFromLocal(const std::tm& local) {
    std::tm copy = local;
    copy.tm_isdst = -1;
    std::time_t moment = -1;
    {
        std::lock_guard lock(LocalTimeMutex());
        moment = std::mktime(&copy);
    }
    if (moment == static_cast<std::time_t>(-1)) return std::nullopt;
    const sys_seconds at{seconds{moment}};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{at - day};
    if (!date.ok() || int{date.year()} < 0 || int{date.year()} > 9999) return std::nullopt;
    return JournalTime{static_cast<uint16_t>(int{date.year()}),      static_cast<uint8_t>(unsigned{date.month()}),
                       static_cast<uint8_t>(unsigned{date.day()}),   static_cast<uint8_t>(time.hours().count()),
                       static_cast<uint8_t>(time.minutes().count()), static_cast<uint8_t>(time.seconds().count())};
}

std::string JournalTimeText(const JournalTime& utc) {
    const year_month_day date{year{utc.year}, month{utc.month}, day{utc.day}};
    if (!date.ok() || utc.hour > 23 || utc.minute > 59 || utc.second > 60) return Printed(utc) + " UTC";
    const sys_seconds at = sys_days{date} + hours{utc.hour} + minutes{utc.minute} + seconds{utc.second};
    const std::time_t moment = system_clock::to_time_t(at);
    std::lock_guard lock(LocalTimeMutex());
    const std::tm* local = std::localtime(&moment);
    if (local == nullptr) return Printed(utc) + " UTC";
    return Format(kShown, static_cast<unsigned>(local->tm_year + 1900), static_cast<unsigned>(local->tm_mon + 1),
                  static_cast<unsigned>(local->tm_mday), static_cast<unsigned>(local->tm_hour),
                  static_cast<unsigned>(local->tm_min), static_cast<unsigned>(local->tm_sec));
}

std::string JournalTimeStamp(const JournalTime& utc) {
    return Format("%04u%02u%02u-%02u%02u%02uZ", utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second);
}

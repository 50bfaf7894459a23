#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// A moment in UTC, as the journal keeps it: the same on every machine whatever its time zone, and
// shown to the operator in local time.
struct JournalTime {
    uint16_t year;
    uint8_t month, day, hour, minute, second;

    bool operator==(const JournalTime&) const = default;
};

// The UTC moment of a local calendar time (the clock's); empty when it names no moment.
std::optional<JournalTime> JournalTimeFromLocal(const std::tm& local);
// For the operator, in local time: "2026-12-10 13:06:03".
std::string JournalTimeText(const JournalTime& utc);
// For file names, in UTC: "20261210-130603Z".
std::string JournalTimeStamp(const JournalTime& utc);

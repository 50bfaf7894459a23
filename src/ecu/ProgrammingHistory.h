#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string_view>

inline constexpr int kHistoryEntries = 10;
inline constexpr int kHistoryEntrySize = 16;

// A calendar day, as the history dates its entries (the local time of the run that wrote it).
struct CalendarDay {
    int year = 0, month = 0, day = 0;
    auto operator<=>(const CalendarDay&) const = default;
};

// Packed BCD of 0..99.
uint8_t ToBcd(uint8_t value);

// An entry is used when its day byte is a BCD day, 0x01..0x31.
bool IsHistoryEntryUsed(std::span<const uint8_t, kHistoryEntrySize> entry);

// The slot of the next entry: the first one not used; 9 when entries 0 to 8 are all used.
int FindHistorySlot(std::span<const uint8_t, kHistoryEntries * kHistoryEntrySize> history);

// Writes a new entry into `slot` (date, version, the first 8 bytes of the user name) and empties
// the entry after it, so the newest entry is always followed by an empty one.
void AddHistoryEntry(std::span<uint8_t, kHistoryEntries * kHistoryEntrySize> history, int slot, const std::tm& date,
                     const std::array<char, 4>& version, std::string_view userName);

// The day of the newest entry (years 2000-2099); empty when no entry holds a valid date.
std::optional<CalendarDay> NewestHistoryDay(std::span<const uint8_t, kHistoryEntries * kHistoryEntrySize> history);

// The entry written last in this process, kept from one run to the next.
uint8_t& LastHistoryEntryIndex();

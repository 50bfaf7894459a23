#include "ecu/ProgrammingHistory.h"

#include <algorithm>
#include <cstring>

#include "app/CFlashDlg.h"
#include "link/RequestTable.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

namespace {

constexpr size_t kUserNameBytes = 8;

}  // namespace

uint8_t ToBcd(uint8_t value) {
    uint8_t tens = 0;
    while (value >= 10) {
        value = static_cast<uint8_t>(value - 10);
        ++tens;
    }
    return static_cast<uint8_t>(tens << 4 | value);
}

bool IsHistoryEntryUsed(std::span<const uint8_t, kHistoryEntrySize> entry) {
    return entry[0] >= 0x01 && entry[0] <= 0x31;
}

int FindHistorySlot(std::span<const uint8_t, kHistoryEntries * kHistoryEntrySize> history) {
    int slot = 0;
    while (slot < kHistoryEntries - 1 &&
           IsHistoryEntryUsed(history.subspan(size_t(slot) * kHistoryEntrySize).first<kHistoryEntrySize>()))
        ++slot;
    return slot;
}

void AddHistoryEntry(std::span<uint8_t, kHistoryEntries * kHistoryEntrySize> history, int slot, const std::tm& date,
                     const std::array<char, 4>& version, std::string_view userName) {
    uint8_t* entry = history.data() + size_t(slot) * kHistoryEntrySize;
    std::memset(entry, 0, kHistoryEntrySize);
    entry[0] = ToBcd(static_cast<uint8_t>(date.tm_mday));
    entry[1] = ToBcd(static_cast<uint8_t>(date.tm_mon + 1));
    entry[2] = ToBcd(static_cast<uint8_t>((date.tm_year + 1900 - 2000) % 100));
    std::memcpy(entry + 3, version.data(), version.size());
    std::memcpy(entry + 7, userName.data(), std::min(userName.size(), kUserNameBytes));
    const int next = slot + 1 < kHistoryEntries ? slot + 1 : 0;
    std::memset(history.data() + size_t(next) * kHistoryEntrySize, 0, kHistoryEntrySize);
}

std::optional<CalendarDay> NewestHistoryDay(std::span<const uint8_t, kHistoryEntries * kHistoryEntrySize> history) {
    const auto fromBcd = [](uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9 ? (b >> 4) * 10 + (b & 0x0F) : -1; };
    std::optional<CalendarDay> newest;
    for (int slot = 0; slot < kHistoryEntries; ++slot) {
        const uint8_t* entry = history.data() + std::size_t(slot) * kHistoryEntrySize;
        const CalendarDay day{2000 + fromBcd(entry[2]), fromBcd(entry[1]), fromBcd(entry[0])};
        if (day.year < 2000 || day.month < 1 || day.month > 12 || day.day < 1 || day.day > 31) continue;
        if (!newest || day > *newest) newest = day;
    }
    return newest;
}

uint8_t& LastHistoryEntryIndex() {
    static uint8_t index = 0;
    return index;
}

// In stage 3 a new entry for this update; in stage 6 that entry takes the version now running.
void CFlashDlg::AddProgrammingHistoryEntry() {
    std::span<uint8_t, kHistoryEntries * kHistoryEntrySize> history(ecuDataSnapshot.local69);
    uint8_t& last = LastHistoryEntryIndex();
    if (sessionStage == Stage::Completion) {
        if (historyEntryAdded == 1)
            std::memcpy(history.data() + size_t(last) * kHistoryEntrySize + 3, historyVersion.data(),
                        historyVersion.size());
        return;
    }
    // An entry without its date would be an unused slot that the next update overwrites: without
    // the date the history is written back as it was read.
    std::tm date{};
    if (!platform.clock.LocalTime(date)) return;
    const int slot = FindHistorySlot(history);
    std::string userName;
    if (!platform.system.UserName(userName)) userName.clear();
    AddHistoryEntry(history, slot, date, historyVersion, userName);
    last = static_cast<uint8_t>(slot);
    historyEntryAdded = 1;
}

// One block of the history written; after the tenth the run goes on.
void CFlashDlg::OnHistoryWriteReply() {
    if (!IsPending(Row::WriteHistory)) return;  // an answer to nothing asked
    const int next = blockIndex + 1;
    if (next < kHistoryEntries) {
        blockIndex = static_cast<uint8_t>(next);
        return;
    }
    EndHistoryWrite();
}

// After the last block, and for an ECU without the history or one that will not take it: the
// history is not sent again and the run goes on.
void CFlashDlg::EndHistoryWrite() {
    Withdraw(Row::WriteHistory);
    blockIndex = 0;
    if (sessionStage == Stage::Completion)
        MakePending(Row::StopSession);
    else
        ScheduleNextRestoreWrite();
}

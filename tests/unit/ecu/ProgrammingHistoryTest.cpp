#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ecu/ProgrammingHistory.h"
#include "ecu/RecordRepairs.h"

namespace {

using History = std::array<uint8_t, kHistoryEntries * kHistoryEntrySize>;

History WithUsedEntries(int used, uint8_t fill = 0x00) {
    History h;
    h.fill(fill);
    for (int e = 0; e < used; ++e) h[size_t(e) * kHistoryEntrySize] = 0x15;
    return h;
}

std::tm Date(int day, int month, int year) {
    std::tm t{};
    t.tm_mday = day;
    t.tm_mon = month - 1;
    t.tm_year = year - 1900;
    return t;
}

TEST(ProgrammingHistory, Bcd) {
    EXPECT_EQ(ToBcd(0), 0x00);
    EXPECT_EQ(ToBcd(7), 0x07);
    EXPECT_EQ(ToBcd(26), 0x26);
    EXPECT_EQ(ToBcd(99), 0x99);
}

TEST(ProgrammingHistory, TheNextSlotAndTheEntryEmptiedAfterIt) {
    const struct {
        History history;
        int slot;
    } cases[] = {{WithUsedEntries(0), 0},
                 {WithUsedEntries(0, 0xFF), 0},
                 {WithUsedEntries(4), 4},
                 {WithUsedEntries(9), 9},
                 {WithUsedEntries(10), 9}};
    for (const auto& c : cases) {
        History h = c.history;
        ASSERT_EQ(FindHistorySlot(h), c.slot);
        AddHistoryEntry(h, c.slot, Date(7, 3, 2026), {'4', '7', '7', 'E'}, "tester");
        const size_t next = size_t(c.slot + 1) % kHistoryEntries * kHistoryEntrySize;
        for (size_t i = 0; i < kHistoryEntrySize; ++i) EXPECT_EQ(h[next + i], 0) << "slot " << c.slot;
    }
}

TEST(ProgrammingHistory, EntryLayout) {
    History h = WithUsedEntries(0);
    AddHistoryEntry(h, 0, Date(7, 3, 2026), {'4', '7', '7', 'E'}, "alice");
    const std::vector<uint8_t> entry(h.begin(), h.begin() + kHistoryEntrySize);
    EXPECT_EQ(entry, (std::vector<uint8_t>{0x07, 0x03, 0x26, '4', '7', '7', 'E', 'a', 'l', 'i', 'c', 'e', 0, 0, 0, 0}));

    AddHistoryEntry(h, 0, Date(31, 12, 2030), {'1', '2', '3', 'E'}, "a.very.long.name");
    EXPECT_EQ(std::vector<uint8_t>(h.begin() + 7, h.begin() + 16),
              (std::vector<uint8_t>{'a', '.', 'v', 'e', 'r', 'y', '.', 'l', 0}));
    EXPECT_EQ(h[0], 0x31);
    EXPECT_EQ(h[1], 0x12);
    EXPECT_EQ(h[2], 0x30);
}

TEST(RecordRepairs, Record17FillsItsEmptyBytes) {
    uint8_t record[14] = {0x12, 0x34, 0x00, 0x00, 0x56, 0x00, 9, 9, 9, 9, 9, 9, 9, 9};
    RepairRecord17(record);
    EXPECT_EQ(std::vector<uint8_t>(record, record + 6), (std::vector<uint8_t>{0x12, 0x34, 0x12, 0x34, 0x56, 0x56}));
    uint8_t kept[14] = {0x12, 0x34, 0x00, 0x01, 0x56, 0x07};
    RepairRecord17(kept);
    EXPECT_EQ(std::vector<uint8_t>(kept, kept + 6), (std::vector<uint8_t>{0x12, 0x34, 0x00, 0x01, 0x56, 0x07}));
}

TEST(RecordRepairs, Record33GetsItsFixedBytesAndSum) {
    uint8_t record[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    RepairRecord33(record);
    EXPECT_EQ(std::vector<uint8_t>(record, record + 10),
              (std::vector<uint8_t>{1, 2, 3, 4, 0xFF, 6, 0xFF, 8, 9,
                                    static_cast<uint8_t>(1 + 2 + 3 + 4 + 0xFF + 6 + 0xFF + 8 + 9)}));
}

}  // namespace

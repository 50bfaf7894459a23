#include "ecu/SnapshotRecords.h"

#include <array>

namespace {

constexpr uint8_t D1 = 0;
constexpr uint8_t D2 = 1;
constexpr bool kSum = true;

#define FIELD(name) offsetof(EcuDataSnapshot, name), sizeof(EcuDataSnapshot::name)

// Single record: read row, write row, field, width, reply position, write data offset.
#define SINGLE(readRow, writeRow, name, width, reply, writeAt) \
    SnapshotRecord{readRow, writeRow, FIELD(name), width, 0, reply, writeAt, false, 0}
// Block record: block width and the number of block numbers that address the field.
#define BLOCKS(readRow, writeRow, name, width, count, reply) \
    SnapshotRecord{readRow, writeRow, FIELD(name), width, count, reply, 4, false, 0}

constexpr auto kRecordsWithoutMarks = std::to_array<SnapshotRecord>({
    SINGLE(4, 120, ident40, 10, D1, 3),
    SINGLE(5, 121, ident41, 10, D1, 3),
    SINGLE(6, 122, ident42, 10, D1, 3),
    SINGLE(7, 123, ident43, 10, D1, 3),
    SINGLE(8, 124, ident44, 10, D1, 3),
    SINGLE(9, 125, ident45, 10, D1, 3),
    SINGLE(10, 126, ident46, 10, D1, 3),
    SINGLE(11, 127, ident47, 10, D1, 3),
    SINGLE(12, 128, ident48, 10, D1, 3),
    SINGLE(13, 129, ident49, 10, D1, 3),
    SINGLE(14, 130, ident4A, 10, D1, 3),
    SINGLE(15, 131, ident4B, 10, D1, 3),
    SINGLE(16, 132, ident4C, 17, D1, 3),
    SINGLE(17, 133, ident4D, 18, D1, 3),
    SINGLE(18, 134, ident4E, 4, D1, 3),
    SINGLE(19, 135, ident4F, 31, D1, 3),
    SINGLE(20, 154, ident88, 30, D1, 3),
    SINGLE(21, 156, ident8A, 8, D1, 3),
    SINGLE(22, 157, ident90, 17, D1, 3),
    SINGLE(23, 158, ident91, 13, D1, 3),
    SINGLE(24, 159, ident92, 4, D1, 3),
    SINGLE(25, 160, ident94, 4, D1, 3),
    SINGLE(26, 161, ident99, 6, D1, 3),
    SINGLE(28, 95, local12, 5, D1, 3),
    SINGLE(29, 96, local14, 3, D1, 3),
    SINGLE(30, 97, local15, 5, D1, 3),
    SnapshotRecord{31, 98, FIELD(local17), 14, 0, D1, 3, kSum, 0},
    BLOCKS(32, 99, local1A, 16, 100, D2),
    SINGLE(33, 100, local1C, 12, D1, 3),
    SINGLE(34, 101, local1D, 8, D1, 3),
    SINGLE(35, 102, local1E00, 5, D2, 4),
    SINGLE(36, 103, local1E01, 5, D2, 4),
    SINGLE(37, 104, local1F02, 6, D1, 4),
    SINGLE(38, 105, local20, 8, D1, 3),
    SINGLE(39, 106, localC1, 8, D1, 3),
    SINGLE(40, 107, local23, 3, D1, 3),
    BLOCKS(41, 108, local24, 64, 10, D2),
    SINGLE(42, 109, local25, 5, D1, 3),
    SINGLE(43, 110, local26, 6, D1, 3),
    SINGLE(44, 111, local2C, 6, D1, 3),
    SINGLE(45, 112, local2E, 10, D1, 3),
    SINGLE(46, 113, local32, 5, D1, 3),
    SINGLE(48, 115, local33, 10, D1, 3),
    SINGLE(49, 116, local36, 2, D1, 3),
    SINGLE(50, 117, local38, 9, D1, 3),
    // Read in blocks 0-63 and 128-255; the field is indexed by block number.
    BLOCKS(51, 118, local39, 16, 256, D2),
    SINGLE(52, 119, local3A, 16, D1, 3),
    BLOCKS(56, 136, local65, 16, 10, D1),
    BLOCKS(57, 137, local69, 16, 10, D1),
    SINGLE(58, 138, local6A, 11, D1, 3),
    SINGLE(59, 139, local6D, 2, D1, 3),
    SINGLE(60, 140, local70, 4, D1, 3),
    SINGLE(61, 141, local71, 4, D1, 3),
    SINGLE(62, 142, local72, 4, D1, 3),
    SINGLE(63, 143, local73, 4, D1, 3),
    SINGLE(64, 144, local74, 4, D1, 3),
    SINGLE(65, 145, local75, 4, D1, 3),
    SINGLE(66, 146, local76, 4, D1, 3),
    SINGLE(67, 147, local77, 4, D1, 3),
    SINGLE(68, 148, local78, 4, D1, 3),
    SINGLE(69, 149, local79, 16, D1, 3),
    SnapshotRecord{70, 150, FIELD(local7C), 40, 0, D2, 3, kSum, 0},
    BLOCKS(71, 151, local84, 16, 10, D1),
    BLOCKS(72, 152, local85, 16, 10, D1),
    SINGLE(73, 153, local86, 9, D1, 3),
    SINGLE(74, 155, local89, 5, D1, 3),
    SINGLE(75, 162, localAD, 9, D1, 3),
    SINGLE(76, 163, localAE, 6, D1, 3),
    SINGLE(77, 164, localAF, 9, D1, 3),
    SINGLE(78, 165, localB800, 20, D1, 4),
    SINGLE(79, 166, localB801, 20, D1, 4),
    SINGLE(80, 167, localB802, 20, D1, 4),
    SINGLE(81, 168, localB810, 20, D1, 4),
    SINGLE(82, 169, localB820, 20, D1, 4),
    SINGLE(83, 170, localB100, 16, D1, 4),
    SINGLE(84, 171, localB101, 3, D1, 4),
    SINGLE(85, 172, localBA, 11, D1, 3),
    SINGLE(86, 173, localBD00, 4, D2, 4),
    SINGLE(47, 114, localBE, 12, D1, 3),
});

#undef SINGLE
#undef BLOCKS
#undef FIELD

constexpr int kHistoryReadRow = 57;

// Marks are numbered in table order, the programming history having none.
constexpr auto BuildRecords() {
    auto records = kRecordsWithoutMarks;
    int mark = 0;
    for (auto& r : records) r.markIndex = r.readRow == kHistoryReadRow ? -1 : mark++;
    return records;
}

constexpr auto kRecords = BuildRecords();
static_assert(kRecords.size() == kSavedMarkCount + 1);
static_assert(kRecords.back().markIndex == kSavedMarkCount - 1);

} // namespace

std::span<const SnapshotRecord> SnapshotRecords() { return kRecords; }

const SnapshotRecord* RecordForWriteRow(int row) {
    for (const auto& r : kRecords)
        if (r.writeRow == row) return &r;
    return nullptr;
}

const SnapshotRecord* RecordForReadRow(int row) {
    for (const auto& r : kRecords)
        if (r.readRow == row) return &r;
    return nullptr;
}

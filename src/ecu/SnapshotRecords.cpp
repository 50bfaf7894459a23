#include "ecu/SnapshotRecords.h"

#include <array>

#include "link/RequestTable.h"

namespace {

constexpr uint8_t D1 = 0;
constexpr uint8_t D2 = 1;
constexpr bool kSum = true;

#define FIELD(name) offsetof(EcuDataSnapshot, name), sizeof(EcuDataSnapshot::name)

// Single record: the rows named after it, field, width, reply position, write data offset.
#define SINGLE(rows, name, width, reply, writeAt) \
    SnapshotRecord { Row::Read##rows, Row::Write##rows, FIELD(name), width, 0, reply, writeAt, false, 0 }
// Block record: block width and the number of block numbers that address the field.
#define BLOCKS(rows, name, width, count, reply) \
    SnapshotRecord { Row::Read##rows, Row::Write##rows, FIELD(name), width, count, reply, 4, false, 0 }

constexpr auto kRecordsWithoutMarks = std::to_array<SnapshotRecord>({
    SINGLE(Ident40, ident40, 10, D1, 3),
    SINGLE(Ident41, ident41, 10, D1, 3),
    SINGLE(Ident42, ident42, 10, D1, 3),
    SINGLE(Ident43, ident43, 10, D1, 3),
    SINGLE(Ident44, ident44, 10, D1, 3),
    SINGLE(Ident45, ident45, 10, D1, 3),
    SINGLE(Ident46, ident46, 10, D1, 3),
    SINGLE(Ident47, ident47, 10, D1, 3),
    SINGLE(Ident48, ident48, 10, D1, 3),
    SINGLE(Ident49, ident49, 10, D1, 3),
    SINGLE(Ident4A, ident4A, 10, D1, 3),
    SINGLE(Ident4B, ident4B, 10, D1, 3),
    SINGLE(Ident4C, ident4C, 17, D1, 3),
    SINGLE(Ident4D, ident4D, 18, D1, 3),
    SINGLE(Ident4E, ident4E, 4, D1, 3),
    SINGLE(Ident4F, ident4F, 31, D1, 3),
    SINGLE(Ident88, ident88, 30, D1, 3),
    SINGLE(Ident8A, ident8A, 8, D1, 3),
    SINGLE(Ident90, ident90, 17, D1, 3),
    SINGLE(Ident91, ident91, 13, D1, 3),
    SINGLE(Ident92, ident92, 4, D1, 3),
    SINGLE(Ident94, ident94, 4, D1, 3),
    SINGLE(Ident99, ident99, 6, D1, 3),
    SINGLE(Local12, local12, 5, D1, 3),
    SINGLE(Local14, local14, 3, D1, 3),
    SINGLE(Local15, local15, 5, D1, 3),
    SnapshotRecord{Row::ReadLocal17, Row::WriteLocal17, FIELD(local17), 14, 0, D1, 3, kSum, 0},
    BLOCKS(Local1A, local1A, 16, 100, D2),
    SINGLE(Local1C, local1C, 12, D1, 3),
    SINGLE(Local1D, local1D, 8, D1, 3),
    SINGLE(Local1E00, local1E00, 5, D2, 4),
    SINGLE(Local1E01, local1E01, 5, D2, 4),
    SINGLE(Local1F02, local1F02, 6, D1, 4),
    SINGLE(Local20, local20, 8, D1, 3),
    SINGLE(LocalC1, localC1, 8, D1, 3),
    SINGLE(Local23, local23, 3, D1, 3),
    BLOCKS(Local24, local24, 64, 10, D2),
    SINGLE(Local25, local25, 5, D1, 3),
    SINGLE(Local26, local26, 6, D1, 3),
    SINGLE(Local2C, local2C, 6, D1, 3),
    SINGLE(Local2E, local2E, 10, D1, 3),
    SINGLE(Local32, local32, 5, D1, 3),
    SINGLE(Local33, local33, 10, D1, 3),
    SINGLE(Local36, local36, 2, D1, 3),
    SINGLE(Local38, local38, 9, D1, 3),
    // Read in blocks 0-63 and 128-255; the field is indexed by block number.
    BLOCKS(Local39, local39, 16, 256, D2),
    SINGLE(Local3A, local3A, 16, D1, 3),
    BLOCKS(Local65, local65, 16, 10, D1),
    SnapshotRecord{Row::ReadHistory, Row::WriteHistory, FIELD(local69), 16, 10, D1, 4, false, 0},
    SINGLE(Local6A, local6A, 11, D1, 3),
    SINGLE(Local6D, local6D, 2, D1, 3),
    SINGLE(Local70, local70, 4, D1, 3),
    SINGLE(Local71, local71, 4, D1, 3),
    SINGLE(Local72, local72, 4, D1, 3),
    SINGLE(Local73, local73, 4, D1, 3),
    SINGLE(Local74, local74, 4, D1, 3),
    SINGLE(Local75, local75, 4, D1, 3),
    SINGLE(Local76, local76, 4, D1, 3),
    SINGLE(Local77, local77, 4, D1, 3),
    SINGLE(Local78, local78, 4, D1, 3),
    SINGLE(Local79, local79, 16, D1, 3),
    SnapshotRecord{Row::ReadLocal7C, Row::WriteLocal7C, FIELD(local7C), 40, 0, D2, 3, kSum, 0},
    BLOCKS(Local84, local84, 16, 10, D1),
    BLOCKS(Local85, local85, 16, 10, D1),
    SINGLE(Local86, local86, 9, D1, 3),
    SINGLE(Local89, local89, 5, D1, 3),
    SINGLE(LocalAD, localAD, 9, D1, 3),
    SINGLE(LocalAE, localAE, 6, D1, 3),
    SINGLE(LocalAF, localAF, 9, D1, 3),
    SINGLE(LocalB800, localB800, 20, D1, 4),
    SINGLE(LocalB801, localB801, 20, D1, 4),
    SINGLE(LocalB802, localB802, 20, D1, 4),
    SINGLE(LocalB810, localB810, 20, D1, 4),
    SINGLE(LocalB820, localB820, 20, D1, 4),
    SINGLE(LocalB100, localB100, 16, D1, 4),
    SINGLE(LocalB101, localB101, 3, D1, 4),
    SINGLE(LocalBA, localBA, 11, D1, 3),
    SINGLE(LocalBD00, localBD00, 4, D2, 4),
    SINGLE(LocalBE, localBE, 12, D1, 3),
});

#undef SINGLE
#undef BLOCKS
#undef FIELD

// Marks are numbered in table order, the programming history having none.
constexpr auto BuildRecords() {
    auto records = kRecordsWithoutMarks;
    int mark = 0;
    for (auto& r : records) r.markIndex = r.readRow == Row::ReadHistory ? -1 : mark++;
    return records;
}

constexpr auto kRecords = BuildRecords();
static_assert(kRecords.size() == kSavedMarkCount + 1);
static_assert(kRecords.back().markIndex == kSavedMarkCount - 1);

}  // namespace

std::span<const SnapshotRecord> SnapshotRecords() { return kRecords; }

const SnapshotRecord* RecordForWriteRow(int row) {
    for (const auto& r : kRecords)
        if (r.writeRow == row) return &r;
    return nullptr;
}

int NextBlock(const SnapshotRecord& record, int block) {
    constexpr int kFirstMissingBlock = 64;
    constexpr int kBlockAfterTheGap = 128;
    const int next = block + 1;
    return record.readRow == Row::ReadLocal39 && next == kFirstMissingBlock ? kBlockAfterTheGap : next;
}

const SnapshotRecord* RecordForReadRow(int row) {
    for (const auto& r : kRecords)
        if (r.readRow == row) return &r;
    return nullptr;
}

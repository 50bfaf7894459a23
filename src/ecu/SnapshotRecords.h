#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "ecu/EcuDataSnapshot.h"

// Where each record of the snapshot comes from and goes back to. One row per record.
struct SnapshotRecord {
    int readRow;              // request row that reads it
    int writeRow;             // request row that writes it back
    std::size_t fieldOffset;  // offsetof the field in EcuDataSnapshot
    std::size_t fieldSize;    // bytes of the field
    uint16_t width;           // stored width of the record, or of one block
    uint16_t blockCount;      // 0 for single records
    uint8_t replyOffset;      // 0: data from the first byte after the identifier (D1), 1: one later (D2)
    uint8_t writeDataOffset;  // body offset of the first data byte in the write row (3 or 4)
    bool recordSumAfter;      // the write row carries the record's sum after its data
    int markIndex;            // index of its saved mark, -1 for the programming history
};

std::span<const SnapshotRecord> SnapshotRecords();

// The record written back by a write row, or nullptr when the row is not a write row.
const SnapshotRecord* RecordForWriteRow(int row);

// The record read by a read row, or nullptr.
const SnapshotRecord* RecordForReadRow(int row);

// The block read or written after `block`: the next one, but for 21 39, which has no blocks 64 to
// 127. Equal to the block count when the record is complete.
int NextBlock(const SnapshotRecord& record, int block);

inline uint8_t* FieldOf(EcuDataSnapshot& snapshot, const SnapshotRecord& record) {
    return reinterpret_cast<uint8_t*>(&snapshot) + record.fieldOffset;
}
inline const uint8_t* FieldOf(const EcuDataSnapshot& snapshot, const SnapshotRecord& record) {
    return reinterpret_cast<const uint8_t*>(&snapshot) + record.fieldOffset;
}

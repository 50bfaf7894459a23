#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/ServiceIds.h"

namespace sim {

// How the ECU lays out the data of a positive read reply after service and identifier.
enum class ReplyForm : uint8_t {
    Data,         // the record's bytes right after the identifier
    EchoParam,    // the request's sub-identifier or block number, then the bytes
    StatusFirst,  // a status byte (0: data valid), then the bytes
    LengthFirst,  // the record's byte count, then the bytes
};

// How a request names one record of an identifier.
enum class Addressing : uint8_t {
    Plain,  // service, identifier
    Sub,    // service, identifier, fixed sub-identifier
    Block,  // service, identifier, block number
};

// One configuration record of the ECU: how it is read, how wide it is, what a write carries.
struct RecordLayout {
    uint8_t readService;  // 0x1A (identification option) or 0x21 (local identifier)
    uint8_t id;
    Addressing addressing;
    uint8_t sub;          // the sub-identifier when addressing is Sub
    uint16_t width;       // bytes of the record, or of one block
    uint16_t blockCount;  // block numbers 0..blockCount-1 address the record (0 for single records)
    ReplyForm form;
    uint8_t writeLength;   // data bytes a write carries, record sum not counted
    bool writeSum;         // a write carries the 8-bit sum of its data after them
    uint8_t readOnlyTail;  // last bytes of the record that writes never touch
};

std::span<const RecordLayout> RecordCatalogue();

// Whether the record has a block with this number (local identifier 0x39 has none in 64-127).
bool HasBlock(const RecordLayout& record, uint8_t block);
// Bytes the record occupies: width, or width times blockCount.
std::size_t StoredSize(const RecordLayout& record);
// "21 1E 00", "1A 4C", "21 39": how reports name a record.
std::string RecordName(const RecordLayout& record);

inline constexpr uint8_t kHistoryId = LocalId::History;

}  // namespace sim

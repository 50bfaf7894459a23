#include "images/SRecordReader.h"

#include <array>
#include <cstring>

#include "images/HexPairToByte.h"

namespace {

// HexPairToByte of every pair of characters, indexed by the pair read as a big-endian 16-bit value:
// one lookup per data byte keeps the pass over the data, the load's hot loop, short.
constexpr std::array<uint8_t, 65536> MakePairTable() {
    std::array<uint8_t, 65536> table{};
    for (unsigned pair = 0; pair < table.size(); ++pair)
        table[pair] = HexPairToByte(static_cast<uint8_t>(pair >> 8), static_cast<uint8_t>(pair));
    return table;
}
constexpr std::array<uint8_t, 65536> kPairTable = MakePairTable();

// "S", type, byte count and the 32-bit address or count: the characters every S3 and S5 record
// has before its data.
constexpr std::size_t kRecordHeaderLength = 12;
// Address bytes and checksum byte, which the byte count includes besides the data.
constexpr uint32_t kS3NonDataBytes = 5;

// The low 24 bits of the record's 32-bit field; its top byte is not used.
uint32_t Low24Bits(const uint8_t* record) {
    return uint32_t{HexPairToByte(record[6], record[7])} << 16 | uint32_t{HexPairToByte(record[8], record[9])} << 8 |
           HexPairToByte(record[10], record[11]);
}

}  // namespace

std::optional<std::size_t> ParseS3Record(std::span<const uint8_t> text, std::size_t position,
                                         std::span<uint8_t> image) {
    if (position > text.size() || text.size() - position < kRecordHeaderLength) return std::nullopt;
    const uint8_t* record = text.data() + position;
    const uint32_t byteCount = HexPairToByte(record[2], record[3]);
    if (byteCount < kS3NonDataBytes) return std::nullopt;
    const uint32_t dataCount = byteCount - kS3NonDataBytes;
    const std::size_t checksumPosition = position + kRecordHeaderLength + 2 * dataCount;
    if (checksumPosition > text.size()) return std::nullopt;
    const uint32_t offset = Low24Bits(record);
    if (offset + dataCount > image.size()) return std::nullopt;

    const uint8_t* digits = record + kRecordHeaderLength;
    uint8_t* target = image.data() + offset;
    for (uint32_t k = 0; k < dataCount; ++k) target[k] = kPairTable[digits[2 * k] << 8 | digits[2 * k + 1]];
    return checksumPosition;
}

SRecordParse ParseSRecords(std::span<const uint8_t> text, std::span<uint8_t> image) {
    const uint8_t* const begin = text.data();
    const std::size_t size = text.size();
    std::size_t position = 0;
    uint32_t s3Records = 0;
    for (;;) {
        const void* found = position < size ? std::memchr(begin + position, 'S', size - position) : nullptr;
        if (!found) return {SRecordOutcome::EndOfText, size};
        position = static_cast<std::size_t>(static_cast<const uint8_t*>(found) - begin);
        const uint8_t type = position + 1 < size ? begin[position + 1] : 0;
        switch (type) {
        case '3':
            if (const auto checksum = ParseS3Record(text, position, image)) {
                ++s3Records;
                position = *checksum;
                continue;
            }
            return {SRecordOutcome::AddressLimitExceeded, position};
        case '5':
            if (size - position < kRecordHeaderLength) return {SRecordOutcome::EndOfText, size};
            if (Low24Bits(begin + position) == s3Records) return {SRecordOutcome::CountMatched, position};
            return {SRecordOutcome::IncorrectRecordCount, position};
        case '7': return {SRecordOutcome::CountNotVerified, position};
        default: ++position; continue;
        }
    }
}

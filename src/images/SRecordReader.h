#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// How a pass over an S-record text ended.
enum class SRecordOutcome {
    CountMatched,          // the S5 count equals the number of S3 records read
    AddressLimitExceeded,  // an S3 record does not fit the area, or is no whole record
    IncorrectRecordCount,  // the S5 count differs from the number of S3 records
    CountNotVerified,      // an S7 came before any S5
    EndOfText,             // the text ended without a readable S5 or an S7
};

struct SRecordParse {
    SRecordOutcome outcome;
    std::size_t parsePosition;  // where the scan stopped
};

// Applies the S3 record whose "S" is at `position` to `image` (indexed by image offset) and gives
// the position of its checksum. Gives nothing, and writes nothing, when the record would reach
// past the image, has a byte count below 5, or is cut short by the end of the text.
std::optional<std::size_t> ParseS3Record(std::span<const uint8_t> text, std::size_t position, std::span<uint8_t> image);

// One pass over the text: every S3 record is applied to `image` until an S5 or S7 ends the pass.
// What follows the S5 is not read.
SRecordParse ParseSRecords(std::span<const uint8_t> text, std::span<uint8_t> image);

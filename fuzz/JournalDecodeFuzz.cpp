// The journal decoder on any bytes: it must stay inside them, and whatever it accepts in the
// current format must encode back to exactly the same bytes (nothing read that was not checked).
// A journal of an earlier format is written in the current one; that must then read back as the
// same journal. An input whose first byte is odd gets a correct checksum over the rest first, so
// edits reach the fields behind the checksum.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "journal/JournalFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 1) && bytes.size() >= 4) {
        const uint32_t crc = Crc32(std::span(bytes).first(bytes.size() - 4));
        for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    }
    static const auto entry = std::make_unique<JournalEntry>();
    if (DecodeJournal(bytes, *entry) != JournalDecodeResult::Ok) return 0;
    const std::vector<uint8_t> encoded = EncodeJournal(*entry);
    if (encoded == bytes) return 0;
    // The magic line and the format version.
    const auto magicEnd = std::find(encoded.begin(), encoded.end(), uint8_t{'\n'});
    const std::size_t headerSize = static_cast<std::size_t>(magicEnd - encoded.begin()) + 1 + 2;
    const bool currentFormat =
        bytes.size() >= headerSize && std::equal(encoded.begin(), encoded.begin() + headerSize, bytes.begin());
    if (currentFormat) std::abort();
    static const auto upgraded = std::make_unique<JournalEntry>();
    if (DecodeJournal(encoded, *upgraded) != JournalDecodeResult::Ok || EncodeJournal(*upgraded) != encoded)
        std::abort();
    return 0;
}

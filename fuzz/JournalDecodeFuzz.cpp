// The journal decoder on any bytes: it must stay inside them, and whatever it accepts must
// encode back to exactly the same bytes (nothing read that was not checked). An input whose
// first byte is odd gets a correct checksum over the rest first, so edits reach the fields
// behind the checksum.
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
    if (EncodeJournal(*entry) != bytes) std::abort();
    return 0;
}

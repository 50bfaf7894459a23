#include "link/ResponseAssembler.h"

ResponseState AppendResponseChunk(std::array<uint8_t, 256>& buffer, std::atomic<uint8_t>& count,
                                  std::span<const uint8_t> chunk) {
    for (uint8_t byte : chunk) buffer[count.fetch_add(1)] = byte;
    // Compared as int: after 256 bytes the count is 0 again, which no length byte matches, so a
    // length byte of 255 never completes.
    const int received = count;
    const int length = buffer[0];
    return length == received - 1 ? ResponseState::Complete : ResponseState::Incomplete;
}

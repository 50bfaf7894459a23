#include "link/ResponseAssembler.h"

#include "link/Framing.h"

namespace {

// A response carries at least its identifier after the length byte. A shorter "frame" (a lone
// 00, or 01 01) passes the sum test but would hand the previous response over again.
constexpr int kShortestResponseLength = 2;

} // namespace

ResponseState AppendResponseChunk(std::array<uint8_t, 256>& buffer, std::atomic<uint8_t>& count,
                                  std::span<const uint8_t> chunk) {
    for (uint8_t byte : chunk) buffer[count.fetch_add(1)] = byte;
    // Compared as int: after 256 bytes the count is 0 again, which no length byte matches, so a
    // length byte of 255 never completes.
    const int received = count;
    const int length = buffer[0];
    if (length != received - 1) return ResponseState::Incomplete;
    if (length < kShortestResponseLength) return ResponseState::Rejected;
    const uint8_t sum = ByteSum(buffer.data(), static_cast<uint32_t>(length));
    return sum == buffer[static_cast<size_t>(length)] ? ResponseState::Complete : ResponseState::Rejected;
}

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

// Collects the bytes of one frame (length byte L, L-1 payload bytes, 8-bit sum) as they arrive.
// A pause longer than the inter-byte limit drops a partial frame, as a KWP2000 receiver does, so
// the receiver finds the next frame after noise.
class FrameAssembler {
public:
    static constexpr uint64_t kInterByteLimitUs = 20'000;

    enum class Result { Incomplete, Frame, Bad };

    Result Push(uint8_t byte, uint64_t atUs);
    // Drops a partial frame whose last byte came more than the limit before nowUs.
    bool DropIfStale(uint64_t nowUs);
    // The payload of the last complete frame with a good sum.
    const std::vector<uint8_t>& Payload() const { return payload_; }
    bool Partial() const { return !buffer_.empty(); }

private:
    std::vector<uint8_t> buffer_;
    std::vector<uint8_t> payload_;
    uint64_t lastByteUs_ = 0;
};

}  // namespace sim

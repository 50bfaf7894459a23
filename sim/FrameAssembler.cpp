#include "FrameAssembler.h"

#include "link/Framing.h"

namespace sim {

FrameAssembler::Result FrameAssembler::Push(uint8_t byte, uint64_t atUs) {
    Result result = Result::Incomplete;
    if (!buffer_.empty() && atUs - lastByteUs_ > kInterByteLimitUs) {
        buffer_.clear();
        result = Result::Bad;
    }
    lastByteUs_ = atUs;
    // A length byte below 2 cannot start a frame.
    if (buffer_.empty() && byte < 2) return Result::Bad;
    buffer_.push_back(byte);
    if (buffer_.size() < std::size_t{buffer_[0]} + 1) return result;
    const uint8_t length = buffer_[0];
    const bool good = ByteSum(buffer_.data(), length) == buffer_[length];
    if (good) payload_.assign(buffer_.begin() + 1, buffer_.begin() + length);
    buffer_.clear();
    return good ? Result::Frame : Result::Bad;
}

bool FrameAssembler::DropIfStale(uint64_t nowUs) {
    if (buffer_.empty() || nowUs - lastByteUs_ <= kInterByteLimitUs) return false;
    buffer_.clear();
    return true;
}

}  // namespace sim

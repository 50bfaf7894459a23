#pragma once

#include <cstddef>
#include <cstdint>

// The response being handled, bounded by its own length byte: byte 0 is the length L, bytes
// 1..L-1 the payload (service identifier, first parameter, data). Bytes beyond the frame read as
// 0, so a reply shorter than its layout never shows bytes of an earlier, longer frame.
class Response {
public:
    Response(const uint8_t* frame, std::size_t length) : frame_(frame), length_(length) {}

    std::size_t Length() const { return length_; }
    // The frame holds bytes 0..count-1.
    bool Has(std::size_t count) const { return length_ >= count; }
    uint8_t Byte(std::size_t index) const { return index < length_ ? frame_[index] : 0; }
    uint8_t Service() const { return Byte(1); }
    uint8_t Parameter() const { return Byte(2); }
    // Data byte n counted from 1, the first byte after the parameter.
    uint8_t Data(std::size_t n) const { return Byte(2 + n); }
    // `count` bytes starting at `index`, or nullptr when the frame does not hold them all.
    const uint8_t* Bytes(std::size_t index, std::size_t count) const {
        return index + count <= length_ ? frame_ + index : nullptr;
    }

private:
    const uint8_t* frame_;
    std::size_t length_;
};

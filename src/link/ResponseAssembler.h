#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

enum class ResponseState {
    Incomplete,  // keep the bytes; the next chunk is appended to them
    Complete,    // as many bytes as the length byte says: a frame for the gate to judge
};

// Appends a chunk to the response being assembled, one byte at a time at buffer[count] with an
// 8-bit count that wraps, and then, once per chunk, tests whether the buffer holds a whole frame:
// its length byte equals count - 1. Nothing is searched for or skipped, so bytes that do not
// start a frame stay until the count is cleared. Does no I/O; judges nothing (ValidateResponse does).
ResponseState AppendResponseChunk(std::array<uint8_t, 256>& buffer, std::atomic<uint8_t>& count,
                                  std::span<const uint8_t> chunk);

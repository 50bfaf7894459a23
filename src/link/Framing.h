#pragma once

#include <cstdint>

// Writes the 8-bit sum of body[0 .. body[0]-1] into body[body[0]]. The body is a 256-byte frame
// buffer, so every length byte stays inside it.
void FrameChecksum(uint8_t (&body)[256]);

// The 8-bit sum of the first `count` bytes of `area`.
uint8_t ByteSum(const uint8_t* area, uint32_t count);

// Writes the 8-bit sum of the first `count` bytes of `area` into area[count]; the caller
// provides count + 1 bytes.
void RecordSum(uint8_t* area, uint8_t count);

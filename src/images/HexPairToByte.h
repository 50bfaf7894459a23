#pragma once

#include <cstdint>

// Only upper-case digits are meaningful; any other character still yields a byte, by the same
// rule, so that no text can make the reader misbehave.
constexpr uint8_t HexDigitValue(uint8_t character) {
    return static_cast<uint8_t>(character <= '9' ? character - '0' : character - 0x37);
}

constexpr uint8_t HexPairToByte(uint8_t high, uint8_t low) {
    return static_cast<uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
}

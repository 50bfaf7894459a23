#pragma once

#include <cstddef>
#include <cstdint>

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial value 0xFFFF, no reflection, no final XOR.
// The ECU reports this checksum over a whole flash area; the image generator and the simulated
// ECU both use it. Continue a running CRC by passing the previous result as `crc`.
inline uint16_t Crc16CcittFalse(const uint8_t* data, std::size_t count, uint16_t crc = 0xFFFF) {
    for (std::size_t i = 0; i < count; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

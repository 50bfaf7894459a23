#include "CrcCorrection.h"

#include "firmware/Crc16CcittFalse.h"

namespace {

constexpr uint16_t kPolynomial = 0x1021;

// Undoes one shift of the register: a shift that fed the polynomial back left a 1 in bit 0,
// since the polynomial's bit 0 is set.
uint16_t UnshiftOnce(uint16_t crc) {
    return static_cast<uint16_t>((crc & 1) ? ((crc ^ kPolynomial) >> 1) | 0x8000 : crc >> 1);
}

uint16_t Unshift(uint16_t crc, int bits) {
    for (int i = 0; i < bits; ++i) crc = UnshiftOnce(crc);
    return crc;
}

}  // namespace

void CorrectCrc16CcittFalse(std::span<uint8_t> area, std::size_t position, uint16_t target) {
    const uint16_t before = Crc16CcittFalse(area.data(), position);
    uint16_t after = target;
    for (std::size_t i = area.size(); i-- > position + 2;)
        after = static_cast<uint16_t>(Unshift(after, 8) ^ (area[i] << 8));
    // Feeding a 16-bit word into a 16-bit register gives the register XOR the word, shifted 16
    // times; so the word is what the register must hold before those shifts, XOR the register.
    const uint16_t word = static_cast<uint16_t>(before ^ Unshift(after, 16));
    area[position] = static_cast<uint8_t>(word >> 8);
    area[position + 1] = static_cast<uint8_t>(word);
}

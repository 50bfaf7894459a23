#include "ecu/RecordTexts.h"

#include <cstdio>
#include <cstring>

std::string VinText(std::span<const uint8_t, 17> vin) {
    const void* zero = std::memchr(vin.data(), 0, vin.size());
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - vin.data()) : vin.size();
    return std::string(reinterpret_cast<const char*>(vin.data()), length);
}

std::string HardwareSerialText(std::span<const uint8_t, 4> serial) {
    const char letter = serial[0] >= 1 && serial[0] <= 26 ? static_cast<char>(serial[0] + 0x40) : '@';
    char text[16];
    std::snprintf(text, sizeof text, "%c%02x%02x_%02x", letter, static_cast<unsigned>(serial[1]),
                  static_cast<unsigned>(serial[2]), static_cast<unsigned>(serial[3]));
    return text;
}

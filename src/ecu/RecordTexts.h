#pragma once

#include <cstdint>
#include <span>
#include <string>

// The VIN record as text: its 17 bytes, or up to its first zero byte.
std::string VinText(std::span<const uint8_t, 17> vin);
// The hardware serial record as the ECU's label shows it: a letter from byte 0 (1..26 give A..Z,
// anything else '@'), bytes 1 and 2 in hexadecimal, an underscore, byte 3 ("C12ab_05").
std::string HardwareSerialText(std::span<const uint8_t, 4> serial);

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The CRC-16/CCITT-FALSE the ECU must report for each area once a carried image is written:
// the base area, and the upper area before its end tag is written.
struct ExpectedChecksums {
    uint16_t base;
    uint16_t upper;
};

// Indexed by image index; only images 1 to 5 have expected values.
inline constexpr std::array<ExpectedChecksums, 10> ExpectedChecksumTable{{
    {0x0000, 0x0000},
    {0xE314, 0x4036},
    {0xE1AB, 0xAE82},
    {0xAE36, 0x453E},
    {0x2D8F, 0xEB49},
    {0x7DE5, 0xFDE6},
    {0x0000, 0x0000},
    {0x0000, 0x0000},
    {0x0000, 0x0000},
    {0x0000, 0x0000},
}};

// {0, 0} for every index without expected values, inside the table or not.
constexpr ExpectedChecksums ExpectedChecksumsFor(int32_t imageIndex) {
    if (imageIndex < 0 || imageIndex >= static_cast<int32_t>(ExpectedChecksumTable.size())) return {0, 0};
    return ExpectedChecksumTable[static_cast<std::size_t>(imageIndex)];
}

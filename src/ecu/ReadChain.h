#pragma once

#include <array>
#include <cstdint>

// The snapshot's reads in the order each reply asks for the next: identification options,
// local identifiers, 21 BE last, then routine 0x09 (row 91) ends the chain.
inline constexpr std::array<uint8_t, 79> ReadChain{
    4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
    28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 48, 49, 50, 51,
    52, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77,
    78, 79, 80, 81, 82, 83, 84, 85, 86, 47,
};

// The row read after `row` in the chain (row 91 after the last); -1 for a row not in it.
constexpr int NextInReadChain(int row) {
    for (size_t i = 0; i < ReadChain.size(); ++i)
        if (ReadChain[i] == row) return i + 1 < ReadChain.size() ? ReadChain[i + 1] : 91;
    return -1;
}

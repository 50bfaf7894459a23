#pragma once

#include <array>
#include <cstdint>

// The optional reads of the identification and snapshot pass in the order a refused one is
// skipped: each entry's successor is the next entry; the last one's is routine 0x09 (row 91).
// Unlike the read chain, 21 3A (row 52) is followed by 21 61, 21 64 (rows 54, 55).
inline constexpr std::array<uint8_t, 81> ReadSkipOrder{
    4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
    25, 26, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46,
    48, 49, 50, 51, 52, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69,
    70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 47,
};

// Rows a refusal withdraws outside the read order; the run goes on as after their answer.
inline constexpr std::array<uint8_t, 5> WithdrawnWithoutSuccessor{92, 93, 94, 3, 27};

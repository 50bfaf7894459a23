#pragma once

#include <cstdint>

// The ECU's identity as its firmware carries it, in the base area. The ECU answers its
// identification reads from here: 21 60 the date, 21 61 the time, 21 64 the version,
// 21 AC one unused byte, then model code and variant.
namespace InfoBlock {
inline constexpr uint32_t Offset = 0x000100;
inline constexpr uint32_t DateOffset = 0x000100;  // 11 characters, "Sep 29 2011", "Oct  2 2012"
inline constexpr uint32_t DateLength = 11;
inline constexpr uint32_t TimeOffset = 0x00010C;  // 8 characters, "14:02:37"
inline constexpr uint32_t TimeLength = 8;
inline constexpr uint32_t VersionOffset = 0x000115;  // 4 characters, "477E"
inline constexpr uint32_t VersionLength = 4;
inline constexpr uint32_t ModelCodeOffset = 0x00011A;
inline constexpr uint32_t VariantOffset = 0x00011B;
inline constexpr uint32_t Size = 0x1C;  // the zero separators at 0x10B, 0x114 and 0x119 included
}  // namespace InfoBlock

#pragma once

#include <array>
#include <cstdint>

// A flash tag is a ready-made write-memory request: C6 3D, the 24-bit start offset (most
// significant byte first), C0, then the 192 image bytes from that offset on.
inline constexpr int kFlashTagSize = 198;
inline constexpr int kFlashTagDataSize = 192;
inline constexpr int kContainerSlots = 2048;

using FlashTag = std::array<uint8_t, kFlashTagSize>;
using FlashContainer = std::array<FlashTag, kContainerSlots>;

// Capacity of the buffer that holds the S-record text of the image being loaded.
inline constexpr uint32_t kSRecordTextSize = 1622016;

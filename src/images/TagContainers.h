#pragma once

#include <cstdint>
#include <span>

#include "images/FlashContainer.h"

// Tags that start below this offset go to the base container, the rest to the upper one.
inline constexpr uint32_t kUpperRegionStart = 0x20000;

// The two containers and the indexes of their last used slots (-1: none), as the dialog holds them.
struct TagContainers {
    FlashContainer& base;
    int32_t& lastBaseTag;
    FlashContainer& upper;
    int32_t& lastUpperTag;
};

// The start offset a tag carries in its bytes 2 to 4.
constexpr uint32_t TagOffset(const FlashTag& tag) { return uint32_t{tag[2]} << 16 | uint32_t{tag[3]} << 8 | tag[4]; }

// Cuts the image (offsets 0 to `areaEnd`) into tags of 192 bytes. A tag starts at every 8-byte
// group that is not all 0xFF and is not covered by the tag before it. Gives false when the last
// upper tag does not start at `endTagAddress`, when a tag would reach past the image, or when a
// container has no free slot left.
bool BuildTagContainers(std::span<const uint8_t> workingImage, uint32_t areaEnd, uint32_t endTagAddress,
                        TagContainers containers);

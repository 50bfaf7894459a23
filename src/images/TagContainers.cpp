#include "images/TagContainers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kGroupSize = 8;

bool IsErasedGroup(std::span<const uint8_t> image, std::size_t offset) {
    if (image.size() - offset >= kGroupSize) {
        uint64_t group = 0;
        std::memcpy(&group, image.data() + offset, kGroupSize);
        return group == ~uint64_t{0};
    }
    return std::all_of(image.begin() + static_cast<std::ptrdiff_t>(offset), image.end(),
                       [](uint8_t b) { return b == 0xFF; });
}

void WriteTag(FlashTag& tag, uint32_t offset, const uint8_t* data) {
    tag[0] = kFlashTagSize;
    tag[1] = 0x3D;
    tag[2] = static_cast<uint8_t>(offset >> 16);
    tag[3] = static_cast<uint8_t>(offset >> 8);
    tag[4] = static_cast<uint8_t>(offset);
    tag[5] = kFlashTagDataSize;
    std::memcpy(tag.data() + 6, data, kFlashTagDataSize);
}

}  // namespace

bool BuildTagContainers(std::span<const uint8_t> workingImage, uint32_t areaEnd, uint32_t endTagAddress,
                        TagContainers containers) {
    containers.lastBaseTag = -1;
    containers.lastUpperTag = -1;
    const std::size_t scanEnd = std::min<std::size_t>(std::size_t{areaEnd} + 1, workingImage.size());
    std::size_t offset = 0;
    while (offset < scanEnd) {
        if (IsErasedGroup(workingImage, offset)) {
            offset += kGroupSize;
            continue;
        }
        if (workingImage.size() - offset < kFlashTagDataSize) return false;
        const bool upper = offset >= kUpperRegionStart;
        FlashContainer& container = upper ? containers.upper : containers.base;
        int32_t& lastTag = upper ? containers.lastUpperTag : containers.lastBaseTag;
        if (lastTag + 1 >= kContainerSlots) return false;
        ++lastTag;
        WriteTag(container[static_cast<std::size_t>(lastTag)], static_cast<uint32_t>(offset),
                 workingImage.data() + offset);
        offset += kFlashTagDataSize;
    }
    return containers.lastUpperTag == -1 ||
           TagOffset(containers.upper[static_cast<std::size_t>(containers.lastUpperTag)]) == endTagAddress;
}

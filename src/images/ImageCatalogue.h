#pragma once

#include <array>
#include <cstdint>

// One carried firmware image: the resource that holds its S-record text, the size of the ECU's
// flash area it is read into, and where its last block (the end tag) must start.
struct ImageCatalogueEntry {
    int32_t imageIndex;
    int32_t resourceId;
    const char* name;
    uint32_t areaSize;
    uint32_t endTagAddress;

    constexpr uint32_t AreaEnd() const { return areaSize - 1; }
};

// Index 6 has no image. Resource ids do not follow the index order.
inline constexpr std::array<ImageCatalogueEntry, 8> ImageCatalogue{{
    {1, 1011, "K410", 0x40000, 0x3FF00},
    {2, 1012, "K411", 0x40000, 0x3FF00},
    {3, 1020, "K412", 0x40000, 0x3FF00},
    {4, 1019, "M530", 0x60000, 0x5F700},
    {5, 1023, "P640", 0x60000, 0x5F700},
    {7, 1021, "S750", 0x60000, 0x5F700},
    {8, 1022, "T860", 0x60000, 0x5F700},
    {9, 1024, "V970", 0x60000, 0x5F700},
}};

// The entry of an image index, or nullptr when the index names no image (0, 6, above 9, ...).
constexpr const ImageCatalogueEntry* FindCatalogueEntry(int32_t imageIndex) {
    for (const ImageCatalogueEntry& entry : ImageCatalogue)
        if (entry.imageIndex == imageIndex) return &entry;
    return nullptr;
}

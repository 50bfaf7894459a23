#pragma once

#include <cstdint>
#include <vector>

#include "CarriedImageRecipes.h"
#include "images/ImageCatalogue.h"

// A run of bytes that the image's S3 records carry; everything outside the runs is erased flash.
struct DataSegment {
    uint32_t start;
    uint32_t length;
};

// The flash area as the carried image fills it: 0xFF where no record writes.
struct FirmwareImage {
    std::vector<uint8_t> bytes;
    std::vector<DataSegment> segments;  // ascending, never overlapping
};

// Lays out the image of one recipe: pseudo-random code and data with erased gaps, the info
// block, the end-tag block at the catalogue's end-tag address, and a correction word in each
// area where the image has expected checksums.
FirmwareImage BuildFirmwareImage(const CarriedImageRecipe& recipe, const ImageCatalogueEntry& entry);

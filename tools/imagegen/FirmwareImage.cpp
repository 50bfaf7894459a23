#include "FirmwareImage.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "CrcCorrection.h"
#include "ecu/ExpectedChecksums.h"
#include "firmware/InfoBlock.h"
#include "firmware/SplitMix64.h"

namespace {

constexpr uint32_t kUpperAreaStart = 0x20000;
constexpr uint32_t kTagDataSize = 192;
// Data ends one tag's length before these limits: the tag that holds the last byte of the base
// data then ends below the upper area, and the one that holds the last upper byte before the
// end tag ends below the end-tag address, so the end tag starts exactly there.
constexpr uint32_t kBaseDataLimit = kUpperAreaStart - kTagDataSize;
constexpr uint32_t kFirstSegmentLength = 0x200;  // holds the info block
constexpr uint32_t kMinSegmentLength = 0x100;

using Random = SplitMix64;

// Code-like bytes with now and then a run of 0xFF padding, so that tags also carry erased groups.
void FillData(std::span<uint8_t> bytes, Random& random) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (random.Below(1024) == 0) {
            const std::size_t run = std::min<std::size_t>(8 + random.Below(56), bytes.size() - i);
            std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(i), run, uint8_t{0xFF});
            i += run;
        } else {
            bytes[i++] = static_cast<uint8_t>(random.Next());
        }
    }
}

// Gaps of every scale: shorter than a group, inside one tag, and spanning several tags.
uint32_t GapLength(Random& random) {
    switch (random.Below(3)) {
    case 0: return 1 + random.Below(7);
    case 1: return 8 + random.Below(184);
    default: return kTagDataSize + random.Below(0x3000);
    }
}

void AddSegment(FirmwareImage& image, uint32_t start, uint32_t length, Random& random) {
    image.segments.push_back({start, length});
    FillData(std::span<uint8_t>(image.bytes).subspan(start, length), random);
}

// Fills [from, to) with segments and gaps; the first segment starts at `from`.
void LayOutRegion(FirmwareImage& image, uint32_t from, uint32_t to, uint32_t firstLength, Random& random) {
    uint32_t offset = from;
    while (offset + kMinSegmentLength <= to) {
        const uint32_t length = std::min(to - offset, std::max(firstLength, kMinSegmentLength + random.Below(0x3000)));
        firstLength = 0;
        AddSegment(image, offset, length, random);
        offset += length;
        if (random.Below(3) == 0) offset += GapLength(random);
    }
}

void WriteInfoBlock(std::vector<uint8_t>& bytes, const CarriedImageRecipe& recipe) {
    std::fill_n(bytes.begin() + InfoBlock::Offset, InfoBlock::Size, uint8_t{0});
    std::memcpy(&bytes[InfoBlock::DateOffset], recipe.buildDate, InfoBlock::DateLength);
    std::memcpy(&bytes[InfoBlock::TimeOffset], recipe.buildTime, InfoBlock::TimeLength);
    std::memcpy(&bytes[InfoBlock::VersionOffset], recipe.version, InfoBlock::VersionLength);
    bytes[InfoBlock::ModelCodeOffset] = recipe.modelCode;
    bytes[InfoBlock::VariantOffset] = recipe.variant;
}

// The last two bytes of the last segment that starts in [from, to).
uint32_t CorrectionPosition(const FirmwareImage& image, uint32_t from, uint32_t to) {
    uint32_t position = from;
    for (const DataSegment& s : image.segments)
        if (s.start >= from && s.start < to) position = s.start + s.length - 2;
    return position;
}

}  // namespace

FirmwareImage BuildFirmwareImage(const CarriedImageRecipe& recipe, const ImageCatalogueEntry& entry) {
    FirmwareImage image{std::vector<uint8_t>(entry.areaSize, 0xFF), {}};
    Random random(recipe.seed);
    const uint32_t endTag = entry.endTagAddress;

    LayOutRegion(image, 0, kBaseDataLimit, kFirstSegmentLength, random);
    LayOutRegion(image, kUpperAreaStart, endTag - kTagDataSize, 0, random);
    AddSegment(image, endTag, kTagDataSize, random);
    image.bytes[endTag] = 0x5A;  // the end tag's first group is never all 0xFF
    WriteInfoBlock(image.bytes, recipe);

    const ExpectedChecksums expected = ExpectedChecksumsFor(recipe.imageIndex);
    if (expected.base == 0 && expected.upper == 0) return image;

    CorrectCrc16CcittFalse(std::span<uint8_t>(image.bytes).first(kUpperAreaStart),
                           CorrectionPosition(image, 0, kUpperAreaStart), expected.base);

    // The ECU checks the upper area before the end tag is written, while its block is still erased.
    std::vector<uint8_t> upper(image.bytes.begin() + kUpperAreaStart, image.bytes.end());
    std::fill_n(upper.begin() + (endTag - kUpperAreaStart), kTagDataSize, uint8_t{0xFF});
    const uint32_t position = CorrectionPosition(image, kUpperAreaStart, endTag);
    CorrectCrc16CcittFalse(upper, position - kUpperAreaStart, expected.upper);
    std::copy_n(upper.begin() + (position - kUpperAreaStart), 2, image.bytes.begin() + position);
    return image;
}

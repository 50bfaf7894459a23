// The reader on any text: the first byte picks the catalogue entry whose area and end-tag address
// apply, the rest is the S-record text. Besides staying inside its buffers, the reader must only
// ever hand out tags that hold the image's bytes at 8-byte aligned, ascending, disjoint offsets.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "images/ImageCatalogue.h"
#include "images/SRecordReader.h"
#include "images/TagContainers.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckTags(const FlashContainer& container, int32_t lastTag, const std::vector<uint8_t>& image,
               uint32_t& nextFree) {
    for (int32_t i = 0; i <= lastTag; ++i) {
        const FlashTag& tag = container[static_cast<std::size_t>(i)];
        const uint32_t offset = TagOffset(tag);
        Require(tag[0] == kFlashTagSize && tag[1] == 0x3D && tag[5] == kFlashTagDataSize);
        Require(offset % 8 == 0 && offset >= nextFree && offset + kFlashTagDataSize <= image.size());
        Require(std::memcmp(tag.data() + 6, image.data() + offset, kFlashTagDataSize) == 0);
        nextFree = offset + kFlashTagDataSize;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const ImageCatalogueEntry& entry = ImageCatalogue[data[0] % ImageCatalogue.size()];
    const std::span<const uint8_t> text(data + 1, size - 1);
    static std::vector<uint8_t> image;
    image.assign(entry.areaSize, 0xFF);

    const SRecordParse parse = ParseSRecords(text, image);
    Require(parse.parsePosition <= text.size());
    if (parse.outcome != SRecordOutcome::CountMatched) return 0;

    static const auto base = std::make_unique<FlashContainer>();
    static const auto upper = std::make_unique<FlashContainer>();
    int32_t lastBaseTag = 0;
    int32_t lastUpperTag = 0;
    const bool built =
        BuildTagContainers(image, entry.AreaEnd(), entry.endTagAddress, {*base, lastBaseTag, *upper, lastUpperTag});
    uint32_t nextFree = 0;
    CheckTags(*base, lastBaseTag, image, nextFree);
    CheckTags(*upper, lastUpperTag, image, nextFree);
    Require(lastBaseTag == -1 || TagOffset((*base)[static_cast<std::size_t>(lastBaseTag)]) < kUpperRegionStart);
    if (built && lastUpperTag >= 0)
        Require(TagOffset((*upper)[static_cast<std::size_t>(lastUpperTag)]) == entry.endTagAddress);
    return 0;
}

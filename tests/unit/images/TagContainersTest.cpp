#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "images/TagContainers.h"

namespace {

constexpr uint32_t kAreaSize = 0x40000;
constexpr uint32_t kAreaEnd = 0x3FFFF;
constexpr uint32_t kEndTag = 0x3FF00;

struct Containers {
    std::unique_ptr<FlashContainer> base = std::make_unique<FlashContainer>();
    std::unique_ptr<FlashContainer> upper = std::make_unique<FlashContainer>();
    int32_t lastBaseTag = 99;
    int32_t lastUpperTag = 99;

    bool Build(const std::vector<uint8_t>& image, uint32_t areaEnd = kAreaEnd) {
        return BuildTagContainers(image, areaEnd, kEndTag, {*base, lastBaseTag, *upper, lastUpperTag});
    }
    std::vector<uint32_t> Offsets(const FlashContainer& c, int32_t last) const {
        std::vector<uint32_t> offsets;
        for (int32_t i = 0; i <= last; ++i) offsets.push_back(TagOffset(c[static_cast<size_t>(i)]));
        return offsets;
    }
    std::vector<uint32_t> BaseOffsets() const { return Offsets(*base, lastBaseTag); }
    std::vector<uint32_t> UpperOffsets() const { return Offsets(*upper, lastUpperTag); }
};

std::vector<uint8_t> ErasedArea() { return std::vector<uint8_t>(kAreaSize, 0xFF); }

TEST(BuildTagContainersTest, AnErasedImageHasNoTagsAndNoEndTagCheck) {
    Containers c;
    EXPECT_TRUE(c.Build(ErasedArea()));
    EXPECT_EQ(c.lastBaseTag, -1);
    EXPECT_EQ(c.lastUpperTag, -1);
}

TEST(BuildTagContainersTest, BaseDataAloneNeedsNoEndTag) {
    auto image = ErasedArea();
    image[0x1234] = 0;
    Containers c;
    EXPECT_TRUE(c.Build(image));
    EXPECT_EQ(c.BaseOffsets(), std::vector<uint32_t>{0x1230});
    EXPECT_EQ(c.lastUpperTag, -1);
}

TEST(BuildTagContainersTest, TagsStartAtGroupsWithDataAndCopyErasedGroupsInside) {
    auto image = ErasedArea();
    image[0x0003] = 0x11;  // tag at 0, which also takes 0x00BF below
    image[0x00BF] = 0x22;
    image[0x00C0] = 0x33;  // just after it: the next tag starts here
    image[0x0187] = 0x44;  // first group after that tag is erased: tag at 0x180
    image[kEndTag] = 0x55;
    Containers c;
    ASSERT_TRUE(c.Build(image));
    EXPECT_EQ(c.BaseOffsets(), (std::vector<uint32_t>{0x0000, 0x00C0, 0x0180}));
    EXPECT_EQ(c.UpperOffsets(), std::vector<uint32_t>{kEndTag});

    const FlashTag& first = (*c.base)[0];
    EXPECT_EQ(std::vector<uint8_t>(first.begin(), first.begin() + 6),
              (std::vector<uint8_t>{0xC6, 0x3D, 0, 0, 0, 0xC0}));
    EXPECT_TRUE(std::equal(first.begin() + 6, first.end(), image.begin()));
    EXPECT_EQ(first[6 + 0x03], 0x11);
    EXPECT_EQ(first[6 + 0x04], 0xFF) << "erased bytes inside a tag are copied";
    EXPECT_EQ(first[6 + 0xBF], 0x22);

    const FlashTag& end = (*c.upper)[0];
    EXPECT_EQ(std::vector<uint8_t>(end.begin(), end.begin() + 6),
              (std::vector<uint8_t>{0xC6, 0x3D, 0x03, 0xFF, 0x00, 0xC0}));
    EXPECT_EQ(end[6], 0x55);
}

TEST(BuildTagContainersTest, ATagStartingBelowTheUpperRegionKeepsAllItsBytes) {
    auto image = ErasedArea();
    image[0x1FFF8] = 0x01;
    image[0x200B0] = 0x02;  // inside the base tag at 0x1FFF8, which runs to 0x200B7
    image[0x200B8] = 0x03;  // the scan goes on after that tag, in the upper region
    image[kEndTag] = 0x04;
    Containers c;
    ASSERT_TRUE(c.Build(image));
    EXPECT_EQ(c.BaseOffsets(), std::vector<uint32_t>{0x1FFF8});
    EXPECT_EQ(c.UpperOffsets(), (std::vector<uint32_t>{0x200B8, kEndTag}));
    EXPECT_EQ((*c.base)[0][6 + 0xB8], 0x02);
}

TEST(BuildTagContainersTest, TagsOfAFullImageFollowEachOtherWithoutOverlap) {
    std::vector<uint8_t> image(kAreaSize);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
    std::fill(image.begin() + 0x3FF00 - 200, image.begin() + 0x3FF00, 0xFF);  // lands the last tag on T
    std::fill(image.begin() + 0x3FFC0, image.end(), 0xFF);
    Containers c;
    ASSERT_TRUE(c.Build(image));
    uint32_t next = 0;
    for (const auto& offsets : {c.BaseOffsets(), c.UpperOffsets()}) {
        for (uint32_t offset : offsets) {
            EXPECT_EQ(offset % 8, 0u);
            EXPECT_GE(offset, next);
            next = offset + 192;
        }
    }
    EXPECT_EQ(c.UpperOffsets().back(), kEndTag);
}

TEST(BuildTagContainersTest, TheLastUpperTagMustStartAtTheEndTagAddress) {
    struct Case {
        uint32_t lastData;
        const char* what;
    };
    for (const Case& k : {Case{kEndTag - 8, "the last tag starts before T"},
                          Case{kEndTag + 192, "a tag after the end tag"}, Case{kAreaEnd, "the last byte of the area"},
                          Case{kAreaEnd - 100, "a block less than 192 bytes before the area's end"}}) {
        auto image = ErasedArea();
        image[0x30000] = 0;
        image[k.lastData] = 0;
        Containers c;
        EXPECT_FALSE(c.Build(image)) << k.what;
        EXPECT_GE(c.lastUpperTag, 0) << k.what;
    }
}

TEST(BuildTagContainersTest, AContainerThatIsFullRefusesMoreTags) {
    // Far larger than any catalogue area: enough data for more tags than a container has slots.
    std::vector<uint8_t> image(0x20000 + 192 * (kContainerSlots + 2), 0);
    Containers c;
    EXPECT_FALSE(c.Build(image, static_cast<uint32_t>(image.size() - 1)));
    EXPECT_EQ(c.lastUpperTag, kContainerSlots - 1);
}

}  // namespace

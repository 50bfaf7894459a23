#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "TestBench.h"
#include "ecu/ExpectedChecksums.h"
#include "firmware/Crc16CcittFalse.h"
#include "firmware/InfoBlock.h"
#include "images/ImageCatalogue.h"
#include "images/TagContainers.h"

// Names the entry in test names and failure messages.
void PrintTo(const ImageCatalogueEntry& entry, std::ostream* os) {
    *os << "image " << entry.imageIndex << " (" << entry.name << ", resource " << entry.resourceId << ")";
}

namespace {

// Writes tags first..last of a container into erased flash, as the ECU does with the write
// requests, and gives the bytes of [areaStart, areaEnd].
std::vector<uint8_t> ProgrammedArea(const FlashContainer& container, int32_t lastTag, uint32_t areaStart,
                                    uint32_t areaEnd) {
    std::vector<uint8_t> area(areaEnd - areaStart + 1, 0xFF);
    for (int32_t i = 0; i <= lastTag; ++i) {
        const FlashTag& tag = container[static_cast<size_t>(i)];
        const uint32_t offset = TagOffset(tag);
        for (uint32_t k = 0; k < 192; ++k)
            if (offset + k >= areaStart && offset + k <= areaEnd) area[offset + k - areaStart] &= tag[6 + k];
    }
    return area;
}

class CarriedImagesTest : public ::testing::TestWithParam<ImageCatalogueEntry> {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    std::vector<int32_t> requested;

    void SetUp() override {
        dlg.findImageResource = [this](int32_t id) {
            requested.push_back(id);
            return FindImageResource(id);
        };
    }
};

TEST_P(CarriedImagesTest, LoadsWithItsEndTagAtTheCatalogueAddress) {
    const ImageCatalogueEntry& entry = GetParam();
    ASSERT_TRUE(dlg.LoadFirmwareImage(entry.imageIndex));
    EXPECT_EQ(requested, std::vector<int32_t>{entry.resourceId});
    EXPECT_TRUE(bench.host.StatusHistory().empty());
    EXPECT_TRUE(bench.host.MessageBoxes().empty());
    EXPECT_EQ(dlg.WorkingImage, nullptr) << "the working image lives for one load only";

    ASSERT_GE(dlg.lastBaseTag, 0);
    ASSERT_GE(dlg.lastUpperTag, 0);
    EXPECT_EQ(TagOffset(dlg.UpperContainer[static_cast<size_t>(dlg.lastUpperTag)]), entry.endTagAddress);
    // No base tag reaches into the upper area, which is erased when the upper tags are written.
    EXPECT_LE(TagOffset(dlg.BaseContainer[static_cast<size_t>(dlg.lastBaseTag)]) + 192, 0x20000u);
}

using CheckedImagesTest = CarriedImagesTest;

TEST_P(CheckedImagesTest, ProgrammedAreasGiveTheExpectedChecksums) {
    const ImageCatalogueEntry& entry = GetParam();
    const ExpectedChecksums expected = ExpectedChecksumsFor(entry.imageIndex);
    ASSERT_TRUE(dlg.LoadFirmwareImage(entry.imageIndex));

    const auto base = ProgrammedArea(dlg.BaseContainer, dlg.lastBaseTag, 0, 0x1FFFF);
    // The upper checksum is read before the end tag, the last upper tag, is written.
    const auto upper = ProgrammedArea(dlg.UpperContainer, dlg.lastUpperTag - 1, 0x20000, entry.AreaEnd());
    EXPECT_EQ(Crc16CcittFalse(base.data(), base.size()), expected.base);
    EXPECT_EQ(Crc16CcittFalse(upper.data(), upper.size()), expected.upper);
}

const auto kEntryName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Catalogue, CarriedImagesTest, ::testing::ValuesIn(ImageCatalogue), kEntryName);
// Images 1 to 5 have expected checksums; they lead the catalogue.
INSTANTIATE_TEST_SUITE_P(Catalogue, CheckedImagesTest,
                         ::testing::ValuesIn(ImageCatalogue.begin(), ImageCatalogue.begin() + 5), kEntryName);

TEST(Crc16CcittFalseTest, GivesTheCheckValueOfTheStandard) {
    const char* check = "123456789";
    EXPECT_EQ(Crc16CcittFalse(reinterpret_cast<const uint8_t*>(check), 9), 0x29B1);
}

// The identity in each image's info block is what selects the image and passes the date check:
// its build date is the day before the model's reference date.
TEST(CarriedImageIdentityTest, InfoBlocksNameTheModelThatSelectsTheImage) {
    struct Identity {
        int32_t imageIndex;
        const char* date;
        uint8_t modelCode, variant;
    };
    for (const Identity& id :
         {Identity{1, "Sep 29 2011", 0, 0}, Identity{2, "Sep 29 2011", 0, 1}, Identity{3, "Sep 29 2011", 1, 0},
          Identity{4, "May 18 2015", 2, 0}, Identity{5, "Dec 16 2020", 17, 0}, Identity{7, "Oct  2 2012", 4, 0},
          Identity{8, "Aug  7 2017", 16, 0}, Identity{9, "Sep 18 2013", 19, 0}}) {
        TestBench bench;
        ASSERT_TRUE(bench.dlg->LoadFirmwareImage(id.imageIndex));
        const auto base = ProgrammedArea(bench.dlg->BaseContainer, bench.dlg->lastBaseTag, 0, 0x1FFFF);
        const char* info = reinterpret_cast<const char*>(base.data());
        EXPECT_EQ(std::string(info + InfoBlock::DateOffset, InfoBlock::DateLength), id.date) << id.imageIndex;
        EXPECT_EQ(base[InfoBlock::DateOffset + InfoBlock::DateLength], 0) << id.imageIndex;
        const std::string version(info + InfoBlock::VersionOffset, InfoBlock::VersionLength);
        EXPECT_TRUE(std::all_of(version.begin(), version.begin() + 3, [](char c) { return c >= '0' && c <= '9'; }) &&
                    version[3] == 'E')
            << version;
        EXPECT_EQ(base[InfoBlock::ModelCodeOffset], id.modelCode) << id.imageIndex;
        EXPECT_EQ(base[InfoBlock::VariantOffset], id.variant) << id.imageIndex;
    }
}

TEST(CarriedImageTextTest, TextsAreUpperCaseRecordsWithCrLfThatFitTheBuffer) {
    for (const ImageCatalogueEntry& entry : ImageCatalogue) {
        const auto text = FindImageResource(entry.resourceId);
        ASSERT_TRUE(text) << entry.resourceId;
        const std::string s(text->begin(), text->end());
        EXPECT_LT(s.size(), kSRecordTextSize) << entry.resourceId;
        EXPECT_EQ(s.substr(0, 2), "S0") << entry.resourceId;
        EXPECT_EQ(s.substr(s.size() - 16), "S70500000000FA\r\n") << entry.resourceId;
        EXPECT_EQ(s.find_first_not_of("0123456789ABCDEFS\r\n"), std::string::npos) << entry.resourceId;
        for (size_t i = s.find('\n'); i != std::string::npos; i = s.find('\n', i + 1))
            ASSERT_EQ(s[i - 1], '\r') << entry.resourceId << " at " << i;
    }
}

}  // namespace

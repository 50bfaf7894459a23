#include <gtest/gtest.h>

#include <string>

#include "images/ImageCatalogue.h"

namespace {

// The catalogue as it must read, written out here rather than taken from the catalogue itself.
TEST(ImageCatalogue, HoldsItsRowsInOrder) {
    const struct {
        int32_t imageIndex, resourceId;
        const char* name;
        uint32_t areaSize, areaEnd, endTag;
    } expected[] = {
        {1, 1011, "K410", 0x40000, 0x3FFFF, 0x3FF00}, {2, 1012, "K411", 0x40000, 0x3FFFF, 0x3FF00},
        {3, 1020, "K412", 0x40000, 0x3FFFF, 0x3FF00}, {4, 1019, "M530", 0x60000, 0x5FFFF, 0x5F700},
        {5, 1023, "P640", 0x60000, 0x5FFFF, 0x5F700}, {7, 1021, "S750", 0x60000, 0x5FFFF, 0x5F700},
        {8, 1022, "T860", 0x60000, 0x5FFFF, 0x5F700}, {9, 1024, "V970", 0x60000, 0x5FFFF, 0x5F700},
    };
    ASSERT_EQ(ImageCatalogue.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ImageCatalogueEntry& row = ImageCatalogue[i];
        EXPECT_EQ(row.imageIndex, expected[i].imageIndex) << i;
        EXPECT_EQ(row.resourceId, expected[i].resourceId) << i;
        EXPECT_EQ(std::string(row.name), expected[i].name) << i;
        EXPECT_EQ(row.areaSize, expected[i].areaSize) << i;
        EXPECT_EQ(row.AreaEnd(), expected[i].areaEnd) << i;
        EXPECT_EQ(row.endTagAddress, expected[i].endTag) << i;
        EXPECT_EQ(FindCatalogueEntry(expected[i].imageIndex), &row) << i;
    }
    for (int32_t missing : {0, 6, 10, -1}) EXPECT_EQ(FindCatalogueEntry(missing), nullptr) << missing;
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "ecu/ModelNames.h"
#include "ecu/VersionPolicy.h"

namespace {

TEST(VersionPolicy, VersionNumberFromEitherPosition) {
    const struct {
        const char* text;
        int32_t number;
    } cases[] = {{"123E", 123}, {"E123", 123}, {"V123", 123}, {"12AE", 0}, {"1E34", 0}, {"1234", 234}, {"477E", 477}};
    for (const auto& c : cases) {
        char text[4];
        std::copy(c.text, c.text + 4, text);
        EXPECT_EQ(SoftwareVersionNumber(text), c.number) << c.text;
    }
}

TEST(VersionPolicy, SoftwareDateAgainstTheReferenceOfTheModel) {
    const struct {
        const char* date;
        int32_t modelCode;
        bool older;
    } cases[] = {
        {"Sep 30 2011", 0, false},  // the reference day itself
        {"Sep 29 2011", 0, true},   {"Oct 15 2010", 0, true},
        {"Oct 15 2011", 0, false},  {"Sep  9 2011", 1, true},   // a blank before a one-digit day
        {"Sep 09 2011", 1, true},   {"sep 29 2010", 0, false},  // the month's case counts
        {"Sep 29 10", 0, false},                                // not the 11-character form
        {"Sep-29-2010", 0, false},  {"Sep 2x 2010", 0, false},
        {"May 18 2015", 2, true},   {"Dec 16 2020", 17, true},
        {"Dec 17 2020", 17, false}, {"Jan  1 1990", 5, false},  // no reference date: every year counts as later
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsEcuSoftwareOlder(c.date, c.modelCode), c.older) << c.date << " " << c.modelCode;
}

TEST(VersionPolicy, WhichModelsMayBeUpdatedAndWithWhichImage) {
    const struct {
        int32_t modelCode, variant;
        bool allowed;
        int32_t image;
    } cases[] = {{0, 0, true, 1},   {0, 1, true, 2},   {0, 2, false, 0}, {1, 0, true, 3},  {1, 1, false, 0},
                 {2, 0, true, 4},   {2, 1, false, 0},  {17, 0, true, 5}, {17, 9, true, 5}, {4, 0, false, 0},
                 {16, 0, false, 0}, {19, 0, false, 0}, {3, 0, false, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ModelMayBeUpdated(c.modelCode, c.variant), c.allowed) << c.modelCode << "/" << c.variant;
        EXPECT_EQ(ImageForModel(c.modelCode, c.variant), c.image) << c.modelCode << "/" << c.variant;
    }
}

TEST(VersionPolicy, VersionListsAndModelNames) {
    EXPECT_EQ(ImageForVersion(199), 1);
    EXPECT_EQ(ImageForVersion(477), 1);
    EXPECT_EQ(ImageForVersion(267), 2);
    EXPECT_EQ(ImageForVersion(478), 2);
    EXPECT_EQ(ImageForVersion(386), 3);
    EXPECT_EQ(ImageForVersion(465), 3);
    EXPECT_EQ(ImageForVersion(0), 0);
    EXPECT_EQ(ImageForVersion(200), 0);
    EXPECT_EQ(std::string(ModelName(1)), "K410");
    EXPECT_EQ(std::string(ModelName(9)), "V970");
    EXPECT_EQ(std::string(ModelName(6)), "????");
    EXPECT_EQ(std::string(ModelName(0)), "????");
    EXPECT_EQ(std::string(ReferenceDate(3)), "");
}

}  // namespace

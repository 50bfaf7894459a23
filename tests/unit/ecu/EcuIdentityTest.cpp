#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ecu/EcuIdentity.h"
#include "ecu/VersionPolicy.h"

namespace {

std::array<uint8_t, 17> Vin(std::string_view text) {
    std::array<uint8_t, 17> vin{};
    std::memcpy(vin.data(), text.data(), std::min<std::size_t>(text.size(), 17));
    return vin;
}

TEST(EcuIdentity, OnlyARealVinMakesTheEcuKnown) {
    const struct {
        std::string vin;
        bool valid;
    } cases[] = {
        {"WVWZZZ1KZAW000123", true},
        {"VF1AB000123456789", true},
        {"WVWZZZ1KZAW00012", false},   // 16 characters and a zero byte
        {"WVWZZZ1KZAW00012O", false},  // O, I and Q are not in the alphabet
        {"WVWZZZ1KZAW00012I", false},
        {"WVWZZZ1KZAQ000123", false},
        {"wvwzzz1kzaw000123", false},  // lower case
        {"WVWZZZ1KZAW 00123", false},
        {std::string(17, '0'), false},     // one character repeated
        {std::string(17, '\xFF'), false},  // erased
        {std::string(17, '\0'), false},    // never given one
        {"\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\x11\x22\x33", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidVin(Vin(c.vin)), c.valid) << c.vin;
}

TEST(EcuIdentity, BlankNeverMatchesBlank) {
    const std::array<uint8_t, 4> serial{0x03, 0x12, 0xAB, 0x05};
    const EcuIdentity known{Vin("WVWZZZ1KZAW000123"), serial};
    const EcuIdentity blank{Vin(std::string(17, '\xFF')), serial};
    EXPECT_TRUE(SameEcu(known, known));
    EXPECT_FALSE(SameEcu(known, EcuIdentity{known.vin, {0x03, 0x12, 0xAB, 0x06}}));
    EXPECT_FALSE(SameEcu(known, EcuIdentity{Vin("VF1AB000123456789"), serial}));
    EXPECT_FALSE(SameEcu(blank, blank));
    EXPECT_FALSE(SameEcu(known, blank));
    EXPECT_EQ(DescribeIdentity(known), "VIN: WVWZZZ1KZAW000123\nHW serial: C12ab_05");
    EXPECT_EQ(DescribeIdentity(blank), "VIN: none readable (blank or erased)\nHW serial: C12ab_05");
}

// Narrowly what an erased info block reads; a real model the program does not know is not it.
TEST(EcuIdentity, AnErasedInfoBlockIsRecognisedNarrowly) {
    const std::string ff11(11, '\xFF'), ff8(8, '\xFF'), ff4(4, '\xFF');
    const struct {
        int32_t modelCode, variant;
        std::string date, time, version;
        InfoBlockState state;
    } cases[] = {
        {0xFF, 0xFF, ff11, ff8, ff4, InfoBlockState::Erased},
        {0xFF, 0xFF, "", "", "", InfoBlockState::Erased},
        {0xFF, 0xFF, "           ", ff8, "    ", InfoBlockState::Erased},
        {0xFF, 0x00, ff11, ff8, ff4, InfoBlockState::Damaged},
        {0x00, 0xFF, ff11, ff8, ff4, InfoBlockState::Damaged},
        {0xFF, 0xFF, "Sep 29 2011", ff8, ff4, InfoBlockState::Damaged},
        {0xFF, 0xFF, ff11, ff8, "477E", InfoBlockState::Damaged},
        {0xFF, 0xFF, ff11 + " ", ff8, ff4, InfoBlockState::Damaged},  // mixed
        {4, 0, ff11, ff8, ff4, InfoBlockState::Damaged},
        {16, 0, "", "", "", InfoBlockState::Damaged},
        {0, 0, "Mar 14 2010", "09:30:00", "304E", InfoBlockState::Intact},
        {16, 0, "Mar 14 2010", "09:30:00", "304E", InfoBlockState::Intact},  // unknown to the program, not damaged
    };
    for (const auto& c : cases)
        EXPECT_EQ(InfoBlockOf(c.modelCode, c.variant, c.date, c.time, c.version), c.state)
            << c.modelCode << "/" << c.variant << " " << c.date << "|" << c.version;
}

}  // namespace

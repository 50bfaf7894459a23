#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SRecordTexts.h"
#include "images/HexPairToByte.h"
#include "images/SRecordReader.h"

namespace {

constexpr uint32_t kSmallArea = 0x40000;
constexpr uint32_t kLargeArea = 0x60000;

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(HexPairToByteTest, ReadsUpperCaseDigits) {
    EXPECT_EQ(HexPairToByte('0', '0'), 0x00);
    EXPECT_EQ(HexPairToByte('9', 'A'), 0x9A);
    EXPECT_EQ(HexPairToByte('A', '9'), 0xA9);
    EXPECT_EQ(HexPairToByte('F', 'F'), 0xFF);
    EXPECT_EQ(HexPairToByte('C', '6'), 0xC6);
}

struct OutcomeCase {
    const char* name;
    uint32_t areaSize;
    std::string text;
    SRecordOutcome outcome;
};

class ParseOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

// A refused record is always the first data record of its text here, so nothing may have been written.
TEST_P(ParseOutcomeTest, EndsAsExpectedAndNeverWritesOnARefusedRecord) {
    const OutcomeCase& c = GetParam();
    std::vector<uint8_t> image(c.areaSize, 0xFF);
    const SRecordParse parse = ParseSRecords(Bytes(c.text), image);
    EXPECT_EQ(parse.outcome, c.outcome);
    EXPECT_LE(parse.parsePosition, c.text.size());
    if (c.outcome == SRecordOutcome::AddressLimitExceeded) {
        EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](uint8_t b) { return b == 0xFF; }));
    }
}

const std::string kRecord = S3(0x000100, {1, 2, 3, 4});

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseOutcomeTest,
    ::testing::Values(
        OutcomeCase{"CountMatches", kSmallArea, kS0 + kRecord + S3(0x20000, {5}) + S5(2) + kS7,
                    SRecordOutcome::CountMatched},
        OutcomeCase{"LastByteOfTheAreaIsWritten", kLargeArea, S3(0x5FFFC, {1, 2, 3, 4}) + S5(1) + kS7,
                    SRecordOutcome::CountMatched},
        OutcomeCase{"OneBytePastTheArea", kLargeArea, S3(0x5FFFD, {1, 2, 3, 4}) + S5(1) + kS7,
                    SRecordOutcome::AddressLimitExceeded},
        OutcomeCase{"AreaOfTheSmallImagesIsSmaller", kSmallArea, S3(0x3FFFF, {1, 2}) + S5(1) + kS7,
                    SRecordOutcome::AddressLimitExceeded},
        OutcomeCase{"NoDataBytes", kSmallArea, S3(0x40000, {}) + S5(1), SRecordOutcome::CountMatched},
        OutcomeCase{"ByteCountBelowFive", kSmallArea, S3WithByteCount(0x100, 4, {}) + S5(1) + kS7,
                    SRecordOutcome::AddressLimitExceeded},
        OutcomeCase{"ByteCountZero", kSmallArea, S3WithByteCount(0x100, 0, {}) + S5(1) + kS7,
                    SRecordOutcome::AddressLimitExceeded},
        OutcomeCase{"DataCutShortByTheEndOfTheText", kSmallArea, S3(0x200, {1, 2, 3, 4}).substr(0, 18),
                    SRecordOutcome::AddressLimitExceeded},
        OutcomeCase{"AddressCutShort", kSmallArea, "S32100000", SRecordOutcome::AddressLimitExceeded},
        OutcomeCase{"WrongCount", kSmallArea, kRecord + kRecord + S5(1) + kS7, SRecordOutcome::IncorrectRecordCount},
        OutcomeCase{"CountOnlyInItsLow24Bits", kSmallArea, kRecord + S5(0x01000001), SRecordOutcome::CountMatched},
        OutcomeCase{"NoCountRecord", kSmallArea, kRecord + kS7, SRecordOutcome::CountNotVerified},
        OutcomeCase{"TerminationBeforeCount", kSmallArea, kRecord + kS7 + S5(1), SRecordOutcome::CountNotVerified},
        OutcomeCase{"NeitherCountNorTermination", kSmallArea, kS0 + kRecord, SRecordOutcome::EndOfText},
        OutcomeCase{"CountCutShort", kSmallArea, kRecord + "S5050000", SRecordOutcome::EndOfText},
        OutcomeCase{"LoneSAtTheEnd", kSmallArea, kRecord + "S", SRecordOutcome::EndOfText},
        OutcomeCase{"EmptyText", kSmallArea, "", SRecordOutcome::EndOfText},
        OutcomeCase{"OtherRecordsAreSkipped", kSmallArea, "S1130000FFFF\r\nS9030000FC\r\n" + kRecord + S5(1),
                    SRecordOutcome::CountMatched},
        OutcomeCase{"NothingAfterTheCountIsRead", kSmallArea, kRecord + S5(1) + S3(0x7FFFFF, {1}) + "S3",
                    SRecordOutcome::CountMatched}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseSRecordsTest, RecordsLandAtTheirOffsetsAndGapsStayErased) {
    const std::string text = kS0 + S3(0xAB000100, {0x12, 0x34}) +  // the address's top byte is not used
                             S3(0x000200, {0xA0, 0xA1, 0xA2}) + S3(0x000201, {0xB1}) +  // a later record wins
                             S5(3) + kS7;
    std::vector<uint8_t> image(kSmallArea, 0xFF);
    ASSERT_EQ(ParseSRecords(Bytes(text), image).outcome, SRecordOutcome::CountMatched);

    std::vector<uint8_t> expected(kSmallArea, 0xFF);
    expected[0x100] = 0x12;
    expected[0x101] = 0x34;
    expected[0x200] = 0xA0;
    expected[0x201] = 0xB1;
    expected[0x202] = 0xA2;
    EXPECT_EQ(image, expected);
}

TEST(ParseSRecordsTest, ReadsEveryByteValue) {
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    std::string text;
    for (uint32_t at = 0; at < all.size(); at += 28)
        text += S3(0x1000 + at, std::vector<uint8_t>(all.begin() + at, all.begin() + std::min<size_t>(at + 28, 256)));
    text += S5(10);
    std::vector<uint8_t> image(kSmallArea, 0xFF);
    ASSERT_EQ(ParseSRecords(Bytes(text), image).outcome, SRecordOutcome::CountMatched);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x1000, image.begin() + 0x1100), all);
}

TEST(ParseS3RecordTest, LeavesThePositionOnTheChecksum) {
    const std::string text = "xx" + S3(0x10, {1, 2, 3});
    std::vector<uint8_t> image(kSmallArea, 0xFF);
    const auto checksum = ParseS3Record(Bytes(text), 2, image);
    ASSERT_TRUE(checksum);
    EXPECT_EQ(text.substr(*checksum, 4), "00\r\n");
    EXPECT_EQ(image[0x12], 3);
}

}  // namespace

// The positive answers of every service the program uses, byte for byte where they are fixed.
#include <gtest/gtest.h>

#include "EcuFixture.h"

namespace {

struct LayoutCase {
    const char* name;
    EcuState state;
    Bytes request;
    Bytes expectedStart;  // the answer starts with these bytes
    std::size_t expectedSize;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class EcuReplyLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(EcuReplyLayout, AnswerHasTheLayoutTheProgramReads) {
    const LayoutCase& c = GetParam();
    EcuFixture f;
    f.Enter(c.state);
    const Bytes answer = f.Do(c.request);
    ASSERT_GE(answer.size(), c.expectedStart.size());
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + c.expectedStart.size()), c.expectedStart);
    EXPECT_EQ(answer.size(), c.expectedSize);
}

constexpr auto D = EcuState::Default;
constexpr auto S84 = EcuState::Diagnostic;
constexpr auto S85 = EcuState::Programming;

// Start identity of the default options: Mar 14 2010, 09:30:00, 304E, model 0, variant 0.
INSTANTIATE_TEST_SUITE_P(
    Services, EcuReplyLayout,
    ::testing::Values(
        LayoutCase{"date_11_chars_and_0",
                   D,
                   {0x21, 0x60},
                   {0x61, 0x60, 'M', 'a', 'r', ' ', '1', '4', ' ', '2', '0', '1', '0', 0},
                   14},
        LayoutCase{"time_8_chars_and_0", D, {0x21, 0x61}, {0x61, 0x61, '0', '9', ':', '3', '0', ':', '0', '0', 0}, 11},
        LayoutCase{"version_4_chars_and_0", D, {0x21, 0x64}, {0x61, 0x64, '3', '0', '4', 'E', 0}, 7},
        LayoutCase{"model_unused_code_variant", D, {0x21, 0xAC}, {0x61, 0xAC, 0x00, 0x00, 0x00}, 5},
        LayoutCase{"seed_level5", D, {0x27, 0x05}, {0x67, 0x05}, 4},
        LayoutCase{"session_84", S84, {0x10, 0x84}, {0x50, 0x84}, 2},
        LayoutCase{"identification_option", S84, {0x1A, 0x40}, {0x5A, 0x40}, 12},
        LayoutCase{"option_4C_reads_17", S84, {0x1A, 0x4C}, {0x5A, 0x4C}, 19},
        LayoutCase{"option_VIN", S84, {0x1A, 0x90}, {0x5A, 0x90}, 19},
        LayoutCase{"local_single_D1", S84, {0x21, 0x12}, {0x61, 0x12}, 7},
        LayoutCase{"local_17", S84, {0x21, 0x17}, {0x61, 0x17}, 16},
        LayoutCase{"block_1A_echoes_block", S84, {0x21, 0x1A, 0x05}, {0x61, 0x1A, 0x05}, 19},
        LayoutCase{"block_24_of_64_echoes_block", S84, {0x21, 0x24, 0x09}, {0x61, 0x24, 0x09}, 67},
        LayoutCase{"block_39_upper_half", S84, {0x21, 0x39, 0x80}, {0x61, 0x39, 0x80}, 19},
        LayoutCase{"block_39_last", S84, {0x21, 0x39, 0xFF}, {0x61, 0x39, 0xFF}, 19},
        LayoutCase{"block_65_D1", S84, {0x21, 0x65, 0x03}, {0x61, 0x65}, 18},
        LayoutCase{"history_block_D1", S84, {0x21, 0x69, 0x09}, {0x61, 0x69}, 18},
        LayoutCase{"block_84_D1", S84, {0x21, 0x84, 0x00}, {0x61, 0x84}, 18},
        LayoutCase{"sub_1E_echoes_sub", S84, {0x21, 0x1E, 0x01}, {0x61, 0x1E, 0x01}, 8},
        LayoutCase{"sub_1F_D1", S84, {0x21, 0x1F, 0x02}, {0x61, 0x1F}, 8},
        LayoutCase{"sub_B8_D1", S84, {0x21, 0xB8, 0x20}, {0x61, 0xB8}, 22},
        LayoutCase{"sub_B1_01_D1", S84, {0x21, 0xB1, 0x01}, {0x61, 0xB1}, 5},
        LayoutCase{"BD_status_0_then_data", S84, {0x21, 0xBD, 0x00}, {0x61, 0xBD, 0x00}, 7},
        LayoutCase{"7C_count_then_40", S84, {0x21, 0x7C}, {0x61, 0x7C, 40}, 43},
        LayoutCase{"checksum_hi_lo", S84, {0x21, 0x83, 0x01}, {0x61, 0x83}, 4},
        LayoutCase{"write_local_echoes_id", S84, {0x3B, 0x36, 0x01, 0x02}, {0x7B, 0x36}, 2},
        LayoutCase{"write_block_echoes_id",
                   S84,
                   {0x3B, 0x65, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
                   {0x7B, 0x65},
                   2},
        LayoutCase{"routine_09", S84, {0x31, 0x09}, {0x71, 0x09}, 2},
        LayoutCase{"routine_19_with_parameters", S84, {0x31, 0x19, 0x00, 0x00}, {0x71, 0x19}, 2},
        LayoutCase{"seed_when_unlocked_is_0", S84, {0x27, 0x05}, {0x67, 0x05, 0x00, 0x00}, 4},
        LayoutCase{"session_85", S85, {0x10, 0x85}, {0x50, 0x85}, 2},
        LayoutCase{"stop_session", S85, {0x20}, {0x60}, 1}, LayoutCase{"reset", S85, {0x11, 0x01}, {0x51}, 1},
        LayoutCase{"clear_diagnostics_echoes_group", D, {0x14, 0x00, 0x00}, {0x54, 0x00, 0x00}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EcuReplyLayoutRecords, ReadsReturnTheStoredRecordBytes) {
    EcuFixture f;
    f.Enter(EcuState::Diagnostic);
    const Bytes record(10, 0x5A);
    Bytes write{0x3B, 0x2E};
    write.insert(write.end(), record.begin(), record.end());
    ASSERT_EQ(f.Do(write), (Bytes{0x7B, 0x2E}));
    Bytes expected{0x61, 0x2E};
    expected.insert(expected.end(), record.begin(), record.end());
    EXPECT_EQ(f.Do({0x21, 0x2E}), expected);
}

TEST(EcuReplyLayoutIdentity, IdentificationFollowsTheStartIdentity) {
    sim::SimOptions options;
    options.identity = {17, 3, "Oct  2 2012", "14:02:37", "477E"};
    EcuFixture f(options);
    EXPECT_EQ(f.Do({0x21, 0x60}), (Bytes{0x61, 0x60, 'O', 'c', 't', ' ', ' ', '2', ' ', '2', '0', '1', '2', 0}));
    EXPECT_EQ(f.Do({0x21, 0x64}), (Bytes{0x61, 0x64, '4', '7', '7', 'E', 0}));
    EXPECT_EQ(f.Do({0x21, 0xAC}), (Bytes{0x61, 0xAC, 0x00, 17, 3}));
    EXPECT_EQ(f.ecu->Flash().Size(), 0x60000u) << "model codes above 1 have the larger flash";
}

}  // namespace

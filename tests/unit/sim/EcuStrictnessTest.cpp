// Requests the ECU refuses in its state, with the code a KWP2000 ECU gives.
#include <gtest/gtest.h>

#include "EcuFixture.h"
#include "sim/SecurityKey.h"

namespace {

struct RefusalCase {
    const char* name;
    EcuState state;
    Bytes request;
    uint8_t code;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class EcuRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EcuRefuses, WithTheNegativeResponseOfItsState) {
    const RefusalCase& c = GetParam();
    EcuFixture f;
    f.Enter(c.state);
    EXPECT_EQ(f.Do(c.request), (Bytes{0x7F, c.request[0], c.code}));
}

constexpr auto D = EcuState::Default;
constexpr auto S84 = EcuState::Diagnostic;
constexpr auto S85 = EcuState::Programming;

Bytes WriteMemory(uint32_t address, std::size_t count, uint8_t countByte) {
    Bytes r{0x3D, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address), countByte};
    r.resize(r.size() + count, 0x00);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    States, EcuRefuses,
    ::testing::Values(
        // Security and sessions.
        RefusalCase{"session_84_without_level5", D, {0x10, 0x84}, 0x33},
        RefusalCase{"session_85_without_level7", S84, {0x10, 0x85}, 0x33},
        RefusalCase{"unknown_session", D, {0x10, 0x86}, 0x12}, RefusalCase{"session_without_type", D, {0x10}, 0x12},
        RefusalCase{"key_without_seed", D, {0x27, 0x06, 0x12, 0x34}, 0x22},
        RefusalCase{"key_of_wrong_length", D, {0x27, 0x06, 0x12}, 0x12},
        RefusalCase{"level7_seed_in_default_session", D, {0x27, 0x07}, 0x80},
        RefusalCase{"unknown_access_level", D, {0x27, 0x01}, 0x12},
        RefusalCase{"stop_without_session", D, {0x20}, 0x22}, RefusalCase{"reset_of_other_type", D, {0x11, 0x02}, 0x12},
        RefusalCase{"unknown_service", D, {0x22, 0x01}, 0x11},
        // What only the diagnostic and programming sessions offer.
        RefusalCase{"snapshot_read_in_default_session", D, {0x21, 0x12}, 0x80},
        RefusalCase{"identification_option_in_default_session", D, {0x1A, 0x40}, 0x80},
        RefusalCase{"checksum_in_default_session", D, {0x21, 0x83, 0x00}, 0x80},
        RefusalCase{"write_local_in_default_session", D, {0x3B, 0x36, 0x01, 0x02}, 0x80},
        RefusalCase{"routine_in_default_session", D, {0x31, 0x09}, 0x80},
        RefusalCase{"write_memory_in_default_session", D, WriteMemory(0, 192, 0xC0), 0x80},
        RefusalCase{"write_memory_in_session_84", S84, WriteMemory(0, 192, 0xC0), 0x80},
        // Identifiers and formats.
        RefusalCase{"unknown_local_identifier", S84, {0x21, 0xEE}, 0x12},
        RefusalCase{"unknown_identification_option", S84, {0x1A, 0x77}, 0x12},
        RefusalCase{"read_with_extra_byte", S84, {0x21, 0x12, 0x00}, 0x12},
        RefusalCase{"block_read_without_block", S84, {0x21, 0x1A}, 0x12},
        RefusalCase{"unknown_sub_identifier", S84, {0x21, 0x1E, 0x02}, 0x12},
        RefusalCase{"checksum_of_unknown_area", S84, {0x21, 0x83, 0x02}, 0x12},
        RefusalCase{"block_1A_past_its_count", S84, {0x21, 0x1A, 100}, 0x31},
        RefusalCase{"block_39_in_its_gap", S84, {0x21, 0x39, 0x40}, 0x31},
        RefusalCase{"write_block_39_in_its_gap", S84,
                    Bytes{0x3B, 0x39, 0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, 0x31},
        RefusalCase{"write_narrower_than_record", S84, {0x3B, 0x12, 1, 2, 3, 4}, 0x12},
        RefusalCase{"write_wider_than_record", S84, {0x3B, 0x36, 1, 2, 3}, 0x12},
        RefusalCase{"write_4C_with_all_17_bytes", S84,
                    Bytes{0x3B, 0x4C, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, 0x12},
        RefusalCase{"write_17_with_wrong_sum", S84, Bytes{0x3B, 0x17, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0},
                    0x31},
        RefusalCase{"write_of_read_only_identifier", S84, Bytes{0x3B, 0x60, 1, 2, 3}, 0x12},
        RefusalCase{"unknown_routine", S84, {0x31, 0x77}, 0x12},
        RefusalCase{"routine_with_extra_byte", S84, {0x31, 0x09, 0x00}, 0x12},
        RefusalCase{"clear_of_unknown_group", D, {0x14, 0x12, 0x34}, 0x31},
        // Flash writes.
        RefusalCase{"write_memory_past_the_flash", S85, WriteMemory(0x03FFC0 + 0x40, 192, 0xC0), 0x31},
        RefusalCase{"write_memory_across_the_areas", S85, WriteMemory(0x01FF80, 192, 0xC0), 0x31},
        RefusalCase{"write_memory_count_byte_disagrees", S85, WriteMemory(0x000000, 192, 0xBF), 0x12},
        RefusalCase{"write_memory_without_data", S85, Bytes{0x3D, 0x00, 0x00, 0x00}, 0x12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EcuSecurity, WrongKeyIsRefusedAndUsesUpTheSeed) {
    EcuFixture f;
    const Bytes seed = f.Do({0x27, 0x05});
    ASSERT_EQ(seed.size(), 4u);
    EXPECT_NE(seed[2] << 8 | seed[3], 0) << "a locked ECU never offers seed 0";
    EXPECT_EQ(f.Do({0x27, 0x06, 0x00, 0x00}), (Bytes{0x7F, 0x27, 0x35}));
    EXPECT_EQ(f.Do({0x27, 0x06, 0x00, 0x00}), (Bytes{0x7F, 0x27, 0x22}));
    EXPECT_EQ(f.Do({0x10, 0x84}), (Bytes{0x7F, 0x10, 0x33}));
}

TEST(EcuSecurity, AcceptsOnlyTheConfiguredLevel5Variant) {
    for (int accepted : {1, 2}) {
        sim::SimOptions options;
        options.keyVariant = accepted;
        EcuFixture f(options);
        f.Unlock(5);
        EXPECT_TRUE(f.ecu->Unlocked(5)) << "variant " << accepted;

        sim::SimOptions otherOptions;
        otherOptions.keyVariant = 3 - accepted;
        EcuFixture other(otherOptions);
        const Bytes seed = f.Do({0x27, 0x05});  // f is unlocked now: seed 0
        EXPECT_EQ(seed, (Bytes{0x67, 0x05, 0x00, 0x00}));
        const Bytes otherSeed = other.Do({0x27, 0x05});
        const uint16_t value = static_cast<uint16_t>(otherSeed[2] << 8 | otherSeed[3]);
        const auto wrong =
            sim::SecurityKey(accepted == 1 ? sim::KeyFormula::Level5Variant1 : sim::KeyFormula::Level5Variant2, value);
        EXPECT_EQ(other.Do({0x27, 0x06, static_cast<uint8_t>(wrong >> 8), static_cast<uint8_t>(wrong)}),
                  (Bytes{0x7F, 0x27, 0x35}));
    }
}

TEST(EcuSecurity, StopSessionAndResetLockAgain) {
    EcuFixture f;
    f.Enter(EcuState::Programming);
    ASSERT_EQ(f.Do({0x20}), (Bytes{0x60}));
    EXPECT_FALSE(f.ecu->Unlocked(5));
    EXPECT_FALSE(f.ecu->Unlocked(7));
    EXPECT_EQ(f.Do({0x21, 0x83, 0x00}), (Bytes{0x7F, 0x21, 0x80}));
    f.Enter(EcuState::Diagnostic);
    f.ecu->Reset();
    EXPECT_EQ(f.ecu->CurrentSession(), sim::Session::Default);
    EXPECT_EQ(f.Do({0x10, 0x84}), (Bytes{0x7F, 0x10, 0x33}));
}

// The formula worked by hand: 0x1234 ^ 0x4D2A = 0x5F1E, rotl 3 = 0xF8F2, + 0x1F35 = 0x1827.
TEST(EcuSecurity, KeyFormulaByHand) {
    EXPECT_EQ(sim::SecurityKey(sim::KeyFormula::Level5Variant1, 0x1234), 0x1827);
    // 0x0001 ^ 0x39E6 = 0x39E7, rotl 7 = 0xF39C, + 0x5D0B = 0x50A7.
    EXPECT_EQ(sim::SecurityKey(sim::KeyFormula::Level7, 0x0001), 0x50A7);
    // 0x7C11 ^ 0x7C11 = 0, rotl 5 = 0, + 0x0A92.
    EXPECT_EQ(sim::SecurityKey(sim::KeyFormula::Level5Variant2, 0x7C11), 0x0A92);
}

}  // namespace

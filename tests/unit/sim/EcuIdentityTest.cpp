// Who the simulated ECU says it is: a real VIN by default, one given, or none; what an erase
// leaves of it; and an ECU without the programming history.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "EcuFixture.h"
#include "ecu/EcuIdentity.h"

namespace {

const Bytes kReadVin{0x1A, 0x90};
const Bytes kReadSerial{0x1A, 0x92};

std::array<uint8_t, 17> VinOf(EcuFixture& f) {
    const Bytes reply = f.Do(kReadVin);
    std::array<uint8_t, 17> vin{};
    if (reply.size() == 19) std::copy(reply.begin() + 2, reply.end(), vin.begin());
    return vin;
}

// In the programming session, where the records can be read too.
void EraseTheBaseArea(EcuFixture& f) {
    Bytes tag{0x3D, 0x00, 0x00, 0x00, 0xC0};
    tag.resize(tag.size() + 192, 0x00);
    ASSERT_EQ(f.ecu->Handle(tag).now, (Bytes{0x7F, 0x3D, 0x78}));
}

TEST(SimulatedEcuIdentity, EachSeedGivesAValidVinThatAnEraseWipes) {
    std::vector<std::array<uint8_t, 17>> vins;
    for (uint64_t seed : {1u, 2u, 3u, 42u}) {
        sim::SimOptions options;
        options.seed = seed;
        EcuFixture f(options);
        f.Enter(EcuState::Programming);
        const auto vin = VinOf(f);
        EXPECT_TRUE(IsValidVin(vin)) << seed;
        vins.push_back(vin);
        EraseTheBaseArea(f);
        EXPECT_FALSE(IsValidVin(VinOf(f))) << "an erase leaves no VIN, seed " << seed;
    }
    std::sort(vins.begin(), vins.end());
    EXPECT_EQ(std::unique(vins.begin(), vins.end()), vins.end()) << "every seed its own VIN";
}

TEST(SimulatedEcuIdentity, AGivenVinNoneOrOneKeptThroughTheErase) {
    const struct {
        const char* what;
        std::optional<std::string> vin;
        bool keep;
        std::string expectedAfterErase;  // empty: the factory value (no valid VIN)
    } cases[] = {
        {"given", "WVWZZZ1KZAW000123", false, ""},
        {"given and kept", "WVWZZZ1KZAW000123", true, "WVWZZZ1KZAW000123"},
        {"never given one", "", false, ""},
    };
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.vin = c.vin;
        options.keepIdentity = c.keep;
        EcuFixture f(options);
        f.Enter(EcuState::Programming);
        const auto before = VinOf(f);
        if (c.vin->empty())
            EXPECT_TRUE(std::all_of(before.begin(), before.end(), [](uint8_t b) { return b == 0xFF; })) << c.what;
        else
            EXPECT_EQ(std::string(before.begin(), before.end()), *c.vin) << c.what;
        const Bytes serial = f.Do(kReadSerial);
        EraseTheBaseArea(f);
        const auto after = VinOf(f);
        if (c.expectedAfterErase.empty()) {
            EXPECT_FALSE(IsValidVin(after)) << c.what;
            EXPECT_NE(f.Do(kReadSerial), serial) << c.what;
        } else {
            EXPECT_EQ(std::string(after.begin(), after.end()), c.expectedAfterErase) << c.what;
            EXPECT_EQ(f.Do(kReadSerial), serial) << c.what;
        }
    }
}

TEST(SimulatedEcuIdentity, AnEcuWithoutTheHistoryRefusesItsIdentifier) {
    sim::SimOptions options;
    options.noHistory = true;
    EcuFixture f(options);
    f.Enter(EcuState::Diagnostic);
    EXPECT_EQ(f.Do({0x21, 0x69, 0x00}), (Bytes{0x7F, 0x21, 0x12}));
    Bytes write{0x3B, 0x69, 0x00};
    write.resize(write.size() + 16, 0x01);
    EXPECT_EQ(f.Do(write), (Bytes{0x7F, 0x3B, 0x12}));
    EXPECT_EQ(f.Do({0x21, 0x65, 0x00}).at(0), 0x61) << "its other records are there";
}

}  // namespace

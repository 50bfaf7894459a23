#include "EcuFixture.h"

#include <gtest/gtest.h>

#include "sim/SecurityKey.h"

EcuFixture::EcuFixture(sim::SimOptions opts)
    : options(std::move(opts)), ecu(std::make_unique<sim::Ecu>(options, prng)) {}

void EcuFixture::Unlock(int level) {
    const uint8_t mode = level == 7 ? 0x07 : 0x05;
    const Bytes seed = Do({0x27, mode});
    ASSERT_EQ(seed.size(), 4u);
    const uint16_t value = static_cast<uint16_t>(seed[2] << 8 | seed[3]);
    const auto formula = level == 7                ? sim::KeyFormula::Level7
                         : options.keyVariant == 2 ? sim::KeyFormula::Level5Variant2
                                                   : sim::KeyFormula::Level5Variant1;
    const uint16_t key = sim::SecurityKey(formula, value);
    ASSERT_EQ(Do({0x27, static_cast<uint8_t>(mode + 1), static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)}),
              (Bytes{0x67, static_cast<uint8_t>(mode + 1), 0x34}));
}

void EcuFixture::Enter(EcuState state) {
    if (state == EcuState::Default) return;
    Unlock(5);
    ASSERT_EQ(Do({0x10, 0x84}), (Bytes{0x50, 0x84}));
    if (state == EcuState::Diagnostic) return;
    Unlock(7);
    ASSERT_EQ(Do({0x10, 0x85}), (Bytes{0x50, 0x85}));
}

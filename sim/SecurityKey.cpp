#include "SecurityKey.h"

namespace sim {

namespace {
struct Constants {
    uint16_t x;
    unsigned rotate;
    uint16_t y;
};

Constants ConstantsOf(KeyFormula formula) {
    switch (formula) {
    case KeyFormula::Level5Variant1: return {0x4D2A, 3, 0x1F35};
    case KeyFormula::Level5Variant2: return {0x7C11, 5, 0x0A92};
    case KeyFormula::Level7: break;
    }
    return {0x39E6, 7, 0x5D0B};
}
}  // namespace

uint16_t SecurityKey(KeyFormula formula, uint16_t seed) {
    const Constants c = ConstantsOf(formula);
    const uint16_t v = static_cast<uint16_t>(seed ^ c.x);
    const uint16_t rotated = static_cast<uint16_t>((v << c.rotate) | (v >> (16 - c.rotate)));
    return static_cast<uint16_t>(rotated + c.y);
}

}  // namespace sim

#include "session/SecurityKey.h"

namespace {

struct KeyConstants {
    uint16_t mask;
    unsigned rotation;
    uint16_t addend;
};

constexpr KeyConstants ConstantsOf(KeyVariant variant) {
    switch (variant) {
    case KeyVariant::Level5First: return {0x4D2A, 3, 0x1F35};
    case KeyVariant::Level5Second: return {0x7C11, 5, 0x0A92};
    case KeyVariant::Level7: return {0x39E6, 7, 0x5D0B};
    }
    return {0, 0, 0};
}

constexpr uint16_t RotateLeft(uint16_t value, unsigned by) {
    return static_cast<uint16_t>((value << by) | (value >> (16 - by)));
}

}  // namespace

uint16_t ComputeSecurityKey(KeyVariant variant, uint16_t seed) {
    if (seed == 0) return 0;
    const KeyConstants k = ConstantsOf(variant);
    return static_cast<uint16_t>(RotateLeft(static_cast<uint16_t>(seed ^ k.mask), k.rotation) + k.addend);
}

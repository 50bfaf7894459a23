#pragma once

#include <cstdint>

namespace sim {

enum class KeyFormula { Level5Variant1, Level5Variant2, Level7 };

// key = (rotl16(seed XOR X, r) + Y) mod 65536, with X, r and Y of the formula.
uint16_t SecurityKey(KeyFormula formula, uint16_t seed);

}  // namespace sim

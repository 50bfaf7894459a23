#pragma once

#include <cstdint>

enum class KeyVariant { Level5First, Level5Second, Level7 };

// The key the ECU expects for a seed at an access level; 0 for the seed 0 (already unlocked),
// meaning no key is to be sent.
uint16_t ComputeSecurityKey(KeyVariant variant, uint16_t seed);

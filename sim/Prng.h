#pragma once

#include "firmware/SplitMix64.h"

namespace sim {

using Prng = SplitMix64;

}  // namespace sim

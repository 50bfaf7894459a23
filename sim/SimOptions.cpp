#include "SimOptions.h"

namespace sim {

uint32_t FlashSizeFor(const SimOptions& options) {
    if (options.flashSize != 0) return options.flashSize;
    return options.identity.modelCode <= 1 ? 0x40000 : 0x60000;
}

}  // namespace sim

#include "ui/console/BusyLineText.h"

#include <algorithm>

namespace {

// Wider than any terminal line; a corrupt count cannot make a huge string.
constexpr int32_t kMostBlocks = 64;

}  // namespace

std::string BusyLineText(int32_t blockCount, int32_t position) {
    const int32_t blocks = std::clamp(blockCount, 0, kMostBlocks);
    std::string text = "[" + std::string(static_cast<size_t>(blocks), '-') + "]";
    if (position >= 0 && position < blocks) text[static_cast<size_t>(position) + 1] = '#';
    return text;
}

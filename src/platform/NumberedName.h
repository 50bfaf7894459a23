#pragma once

#include <string>
#include <string_view>

// Names tried in turn for a new file: base + suffix, then base + "-2" + suffix, "-3", ... up to
// kMaxNumberedNames of them.
inline constexpr int kMaxNumberedNames = 1000;

inline std::string NumberedName(std::string_view base, int n, std::string_view suffix) {
    std::string name(base);
    if (n > 1) name += "-" + std::to_string(n);
    return name.append(suffix);
}

#include "journal/StateFolder.h"

#include <string_view>

namespace {

std::string WithoutTrailing(std::string path, std::string_view separators) {
    while (!path.empty() && separators.find(path.back()) != std::string_view::npos) path.pop_back();
    return path;
}

}  // namespace

std::string PosixStateFolder(const char* xdgStateHome, const char* home) {
    if (xdgStateHome && xdgStateHome[0] == '/') return WithoutTrailing(xdgStateHome, "/") + "/flash-updater";
    if (home && home[0] == '/') return WithoutTrailing(home, "/") + "/.local/state/flash-updater";
    return {};
}

std::string WindowsStateFolder(const char* localAppData) {
    if (!localAppData || !*localAppData) return {};
    return WithoutTrailing(localAppData, "\\/") + "\\FlashUpdater";
}

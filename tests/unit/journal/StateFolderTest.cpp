#include <gtest/gtest.h>

#include "journal/StateFolder.h"

namespace {

TEST(StateFolder, PosixRules) {
    const struct {
        const char* xdgStateHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/var/state", "/home/op", "/var/state/flash-updater"},
        {"/var/state/", "/home/op", "/var/state/flash-updater"},
        {nullptr, "/home/op", "/home/op/.local/state/flash-updater"},
        {"", "/home/op/", "/home/op/.local/state/flash-updater"},
        {"relative/state", "/home/op", "/home/op/.local/state/flash-updater"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PosixStateFolder(c.xdgStateHome, c.home), c.folder)
            << (c.xdgStateHome ? c.xdgStateHome : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(StateFolder, WindowsRules) {
    EXPECT_EQ(WindowsStateFolder("C:\\Users\\op\\AppData\\Local"), "C:\\Users\\op\\AppData\\Local\\FlashUpdater");
    EXPECT_EQ(WindowsStateFolder("C:\\Users\\op\\AppData\\Local\\"), "C:\\Users\\op\\AppData\\Local\\FlashUpdater");
    EXPECT_EQ(WindowsStateFolder(""), "");
    EXPECT_EQ(WindowsStateFolder(nullptr), "");
}

}  // namespace

// The version Windows shows in a program's file properties is the project's version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FlashUpdaterVersion.h"

namespace {

// This test program carries the same resource script as flash-updater.exe.
TEST(VersionResource, CarriesTheProjectsVersionAsNumbersAndAsText) {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const DWORD high = MAKELONG(FLASH_UPDATER_VERSION_MINOR, FLASH_UPDATER_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, FLASH_UPDATER_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);

    for (const char* name : {"FileVersion", "ProductVersion"}) {
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), &value, &length)) << name;
        EXPECT_STREQ(static_cast<const char*>(value), FLASH_UPDATER_VERSION) << name;
    }
}

}  // namespace

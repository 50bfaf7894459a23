// The trace and the debug file: the user's alone whether new or not, and never written through a
// symbolic link.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TemporaryFolder.h"
#include "ui/console/PrivateFile.h"

namespace {

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

bool Write(const std::string& path, PrivateFileMode mode, const char* text, std::string& reason) {
    std::FILE* file = OpenPrivateFile(path, mode, reason);
    if (!file) return false;
    std::fputs(text, file);
    return std::fclose(file) == 0;
}

TEST(PrivateFile, ANewOrEarlierFileEndsUpTheUsersAloneWithItsContentReplacedOrAppendedTo) {
    TemporaryFolder folder;
    const std::string fresh = folder.File("fresh.txt"), earlier = folder.File("earlier.txt");
    std::string reason;
    ASSERT_TRUE(Write(fresh, PrivateFileMode::Replace, "new\n", reason)) << reason;
    EXPECT_EQ(ModeOf(fresh), 0600u);

    for (const PrivateFileMode mode : {PrivateFileMode::Replace, PrivateFileMode::Append}) {
        const bool append = mode == PrivateFileMode::Append;
        TemporaryFolder::WriteAll(earlier, "earlier\n");
        std::filesystem::permissions(earlier, std::filesystem::perms(0664));
        ASSERT_TRUE(Write(earlier, mode, "more\n", reason)) << reason;
        EXPECT_EQ(ModeOf(earlier), 0600u) << append;
        EXPECT_EQ(TemporaryFolder::ReadAll(earlier), append ? "earlier\nmore\n" : "more\n");
    }

    // A device is written, never made private: the trace may go to /dev/null.
    const unsigned nullMode = ModeOf("/dev/null");
    ASSERT_TRUE(Write("/dev/null", PrivateFileMode::Replace, "gone\n", reason)) << reason;
    EXPECT_EQ(ModeOf("/dev/null"), nullMode);
}

TEST(PrivateFile, ALinkIsRefusedAndWhatItPointsToLeftAlone) {
    TemporaryFolder folder;
    const std::string target = folder.File("target.txt"), link = folder.File("link.txt");
    TemporaryFolder::WriteAll(target, "someone's\n");
    std::filesystem::permissions(target, std::filesystem::perms(0644));
    std::filesystem::create_symlink(target, link);
    std::filesystem::create_symlink(folder.File("nothing-yet.txt"), folder.File("dangling.txt"));
    for (const std::string& path : {link, folder.File("dangling.txt")})
        for (const PrivateFileMode mode : {PrivateFileMode::Replace, PrivateFileMode::Append}) {
            std::string reason;
            EXPECT_EQ(OpenPrivateFile(path, mode, reason), nullptr) << path;
            EXPECT_EQ(reason, "a symbolic link, which is not followed");
        }
    EXPECT_EQ(TemporaryFolder::ReadAll(target), "someone's\n");
    EXPECT_EQ(ModeOf(target), 0644u);
    EXPECT_FALSE(std::filesystem::exists(folder.File("nothing-yet.txt")));

    PrivateOutputFile trace;
    std::string reason;
    EXPECT_FALSE(trace.Open(link, reason));
    EXPECT_EQ(reason, "a symbolic link, which is not followed");
    ASSERT_TRUE(trace.Open(folder.File("trace.txt"), reason)) << reason;
    trace.Stream() << "port 1 opened\n" << std::flush;
    EXPECT_EQ(TemporaryFolder::ReadAll(folder.File("trace.txt")), "port 1 opened\n");
}

}  // namespace

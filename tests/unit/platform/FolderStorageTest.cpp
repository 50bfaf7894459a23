#include <gtest/gtest.h>

#include <filesystem>

#include "TemporaryFolder.h"
#include "platform/FolderStorage.h"

namespace {

std::span<const uint8_t> BytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(FolderStorage, ReplacesWholeFilesAndListsOnlyFiles) {
    TemporaryFolder root;
    FolderStorage storage(root.Path().string());
    const std::string path = storage.PathOf("a.journal");
    // What an interrupted earlier write left behind does not stand in the way.
    TemporaryFolder::WriteAll(path + ".tmp", "half");
    std::filesystem::create_directory(root.File("sub"));

    std::string reason;
    ASSERT_TRUE(storage.WriteAtomically(path, BytesOf("first"), reason)) << reason;
    ASSERT_TRUE(storage.WriteAtomically(path, BytesOf("second"), reason)) << reason;
    EXPECT_EQ(TemporaryFolder::ReadAll(path), "second");
    EXPECT_EQ(storage.List(), std::vector<std::string>{path});

    std::vector<uint8_t> read;
    ASSERT_TRUE(storage.Read(path, 6, read, reason)) << reason;
    EXPECT_EQ(std::string(read.begin(), read.end()), "second");
    EXPECT_FALSE(storage.Read(path, 5, read, reason));
    EXPECT_EQ(reason, path + ": larger than a journal can be");
}

TEST(FolderStorage, MovingAsideNeverOverwrites) {
    TemporaryFolder root;
    FolderStorage storage(root.Path().string());
    const std::string path = storage.PathOf("b.journal");
    std::string moved, reason;
    for (const char* content : {"one", "two", "three"}) {
        TemporaryFolder::WriteAll(path, content);
        ASSERT_TRUE(storage.MoveAside(path, ".unusable", moved, reason)) << reason;
    }
    EXPECT_EQ(moved, path + "-3.unusable");
    EXPECT_EQ(root.Names(), (std::vector<std::string>{"b.journal-2.unusable", "b.journal-3.unusable", "b.journal.unusable"}));
    EXPECT_EQ(TemporaryFolder::ReadAll(path + ".unusable"), "one");
    EXPECT_FALSE(storage.MoveAside(path, ".unusable", moved, reason));
}

} // namespace

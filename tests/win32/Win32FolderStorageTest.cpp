#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "StorageChecks.h"
#include "TemporaryFolder.h"
#include "platform/FolderStorage.h"

namespace {

namespace fs = std::filesystem;

// The program holds paths as UTF-8; std::filesystem on Windows takes narrow text as the ANSI
// code page.
std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}
fs::path FromUtf8(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }
std::string ReadAll(const std::string& path) { return TemporaryFolder::ReadAll(FromUtf8(path)); }

// Two objects on one folder stand for two instances of the program. The folder's name is not
// ASCII, so every call below goes through the wide-character calls with it.
class Win32FolderStorage : public ::testing::Test {
protected:
    TemporaryFolder root;
    std::string folder = Utf8(root.Path() / L"Zo\u00EB" / L"FlashUpdater");
    FolderStorage first{folder};
    FolderStorage second{folder};
    std::string reason;
    std::vector<uint8_t> read;
};

TEST_F(Win32FolderStorage, AHeldFileIsInUseForEveryOtherOpenUntilItsLockGoes) {
    std::string path;
    auto lock = first.CreateLocked("run", ".journal", BytesOf("saved"), path, reason);
    ASSERT_TRUE(lock) << reason;
    ASSERT_EQ(path, first.PathOf("run.journal"));

    // The holder's own plain Read is one more open: it answers InUse like the other instance's.
    for (FolderStorage* storage : {&second, &first}) {
        EXPECT_EQ(storage->Read(path, 100, read, reason), ReadOutcome::InUse);
        EXPECT_EQ(reason, path + ": in use by another run");
    }
    std::unique_ptr<StorageLock> taken;
    EXPECT_EQ(second.Read(path, 100, read, reason, &taken), ReadOutcome::InUse);
    EXPECT_FALSE(taken);
    EXPECT_FALSE(second.WriteAtomically(path, BytesOf("theirs"), reason));
    EXPECT_EQ(reason, path + ": in use by another run");
    std::string moved;
    EXPECT_FALSE(second.MoveAside(path, ".unusable", moved, reason));
    EXPECT_EQ(reason, path + ": in use by another run");

    // The lock moves to each new content as it appears.
    for (const char* content : {"programming", "written back"}) {
        ASSERT_TRUE(first.WriteAtomically(path, BytesOf(content), reason, lock.get())) << reason;
        EXPECT_EQ(second.Read(path, 100, read, reason), ReadOutcome::InUse);
    }
    EXPECT_EQ(first.List(), std::vector<std::string>{path}) << "no temporary file left";

    lock.reset();
    ASSERT_EQ(second.Read(path, 100, read, reason, &taken), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "written back");
    ASSERT_TRUE(taken);
    EXPECT_EQ(first.Read(path, 100, read, reason), ReadOutcome::InUse) << "taking it on a read holds it too";
    EXPECT_FALSE(first.WriteAtomically(path, BytesOf("mine"), reason));
    ASSERT_TRUE(second.WriteAtomically(path, BytesOf("superseded"), reason, taken.get())) << reason;
    taken.reset();
    ASSERT_EQ(first.Read(path, 100, read, reason), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "superseded");
}

TEST_F(Win32FolderStorage, RunsReservingTheSameNameAtOnceGetAFileEach) {
    constexpr int kRounds = 10;
    // The lock's handle shares no writing; the file reads once it is let go.
    ExpectTheSameNameReservedAtOnceGivesAFileEach(first, second, kRounds,
                                                  [](const std::string& path, std::unique_ptr<StorageLock>& lock) {
                                                      lock.reset();
                                                      return ReadAll(path);
                                                  });
    EXPECT_EQ(first.List().size(), 2u * kRounds) << "no temporary file left";
}

// A reader shares deleting: another instance renaming the file is never stopped by it.
TEST_F(Win32FolderStorage, ARenameGoesThroughWhileAnotherInstanceReadsTheFile) {
    std::string path;
    ASSERT_TRUE(second.CreateLocked("damaged", ".journal", BytesOf("damaged"), path, reason)) << reason;
    // Opened as Read opens it, and kept open across the rename.
    const HANDLE reading = CreateFileW(FromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    std::string moved;
    EXPECT_TRUE(first.MoveAside(path, ".unusable", moved, reason)) << reason;
    EXPECT_EQ(moved, path + ".unusable");
    char content[16] = {};
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(reading, content, sizeof content, &count, nullptr));
    EXPECT_EQ(std::string(content, count), "damaged");
    CloseHandle(reading);
    EXPECT_EQ(ReadAll(moved), "damaged");
    EXPECT_FALSE(fs::exists(FromUtf8(path)));
}

TEST_F(Win32FolderStorage, NamesThatAreNotAsciiRoundTrip) {
    ASSERT_TRUE(first.CheckFolder(reason)) << reason;
    EXPECT_TRUE(fs::is_directory(root.Path() / L"Zo\u00EB" / L"FlashUpdater"));
    std::string path;
    auto lock = first.CreateLocked("Zo\u00EB", ".journal", BytesOf("one"), path, reason);
    ASSERT_TRUE(lock) << reason;
    EXPECT_EQ(path, folder + "\\Zo\u00EB.journal");
    EXPECT_TRUE(fs::exists(root.Path() / L"Zo\u00EB" / L"FlashUpdater" / L"Zo\u00EB.journal"));
    ASSERT_TRUE(first.WriteAtomically(path, BytesOf("two"), reason, lock.get())) << reason;
    EXPECT_EQ(first.List(), std::vector<std::string>{path});
    EXPECT_TRUE(first.Holds(path));
    lock.reset();
    ASSERT_EQ(second.Read(path, 100, read, reason), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "two");
    std::string moved;
    ASSERT_TRUE(second.MoveAside(path, ".unusable", moved, reason)) << reason;
    EXPECT_EQ(ReadAll(folder + "\\Zo\u00EB.journal.unusable"), "two");

    const wchar_t* kept = _wgetenv(L"LOCALAPPDATA");
    const std::wstring before = kept ? kept : L"";
    ASSERT_EQ(_wputenv_s(L"LOCALAPPDATA", L"C:\\Users\\Zo\u00EB\\AppData\\Local"), 0);
    EXPECT_EQ(FolderStorage::DefaultFolder(), "C:\\Users\\Zo\u00EB\\AppData\\Local\\FlashUpdater");
    _wputenv_s(L"LOCALAPPDATA", before.c_str());
}

TEST_F(Win32FolderStorage, HoldsOnlyFilesOfItsOwnFolder) {
    ASSERT_TRUE(first.CheckFolder(reason)) << reason;
    std::string upper = folder;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const struct {
        std::string path;
        bool held;
    } cases[] = {
        {first.PathOf("x.journal"), true},
        {folder + "/x.journal", true},
        {upper + "\\x.journal", true},
        {folder + "\\sub\\..\\x.journal", true},
        {folder + "\\sub\\x.journal", false},
        {Utf8(root.Path() / "x.journal"), false},
        {folder + "\\", false},
        {folder, false},
    };
    for (const auto& c : cases) EXPECT_EQ(first.Holds(c.path), c.held) << c.path;
}

}  // namespace

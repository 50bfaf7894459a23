#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "StorageChecks.h"
#include "TemporaryFolder.h"
#include "platform/FolderStorage.h"

namespace {

namespace fs = std::filesystem;

// Whether `file` is the file under `path` now: the same file index (a file renamed by path keeps
// on its handle the name it was opened by, and under Wine loses its volume's serial number).
bool IsUnder(HANDLE file, const std::wstring& path) {
    const HANDLE named =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    const bool same = GetFileInformationByHandle(file, &one) && GetFileInformationByHandle(named, &other) &&
                      one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
    CloseHandle(named);
    return same;
}

// Set by a test for its own length (FlushFails): flushes fail for the file under this path, or
// for every other file.
std::wstring flushFailurePath;
bool flushFailsUnderThePath = false;
std::atomic<bool> flushFails{false};

BOOL WINAPI FlushUnlessItFails(HANDLE file) {
    if (flushFails.load() && IsUnder(file, flushFailurePath) == flushFailsUnderThePath) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    static const auto flush = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "FlushFileBuffers")));
    return flush(file);
}

class FlushFails {
public:
    FlushFails(const std::string& path, bool underThePath) {
        flushFailurePath = fs::path(std::u8string(path.begin(), path.end())).wstring();
        flushFailsUnderThePath = underThePath;
        flushFails = true;
    }
    ~FlushFails() { flushFails = false; }
    FlushFails(const FlushFails&) = delete;
    FlushFails& operator=(const FlushFails&) = delete;
};

}  // namespace

// The storage under test is linked into this program, and calls FlushFileBuffers through this
// import pointer: defined here, it takes the place of kernel32's.
extern "C" {
BOOL(WINAPI* __imp_FlushFileBuffers)(HANDLE) = FlushUnlessItFails;
}

namespace {

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

// The caller treats InUse as another run's journal and leaves it be: a file that fails to open
// for any other reason must not pass for that.
TEST_F(Win32FolderStorage, OnlyASharingViolationIsInUse) {
    std::string held;
    auto lock = first.CreateLocked("held", ".journal", BytesOf("saved"), held, reason);
    ASSERT_TRUE(lock) << reason;
    const std::string folderInside = first.PathOf("sub");
    ASSERT_TRUE(fs::create_directory(FromUtf8(folderInside)));
    const struct {
        std::string path;
        ReadOutcome outcome;
    } cases[] = {
        {held, ReadOutcome::InUse},
        {folderInside, ReadOutcome::Failed},
        {first.PathOf("missing.journal"), ReadOutcome::Failed},
    };
    for (const auto& c : cases) {
        for (const bool keeping : {false, true}) {
            SCOPED_TRACE(c.path + (keeping ? ", kept" : ""));
            std::unique_ptr<StorageLock> taken;
            EXPECT_EQ(second.Read(c.path, 100, read, reason, keeping ? &taken : nullptr), c.outcome);
            EXPECT_FALSE(taken);
            if (c.outcome == ReadOutcome::InUse) {
                EXPECT_EQ(reason, c.path + ": in use by another run");
            } else {
                EXPECT_EQ(reason.rfind(c.path + ": ", 0), 0u) << reason;
                EXPECT_NE(reason, c.path + ": in use by another run");
            }
        }
    }
}

// The journal's programming mark counts on a rewrite being on the disk when the call returns: its
// content before it is put under the name, and the rename after. A flush that fails fails the
// call with the system's reason; the lock stays on whatever is under the name.
TEST_F(Win32FolderStorage, ARewriteSucceedsOnlyOnceItIsOnTheDisk) {
    const struct {
        const char* stem;
        bool underTheName;  // whether the flush that fails is of the file under the journal's name
        const char* left;   // the content under the name after the failure
    } cases[] = {
        {"content-not-flushed", false, "saved"},
        {"rename-not-flushed", true, "programming"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stem);
        std::string path;
        auto lock = first.CreateLocked(c.stem, ".journal", BytesOf("saved"), path, reason);
        ASSERT_TRUE(lock) << reason;
        {
            const FlushFails failing(path, c.underTheName);
            EXPECT_FALSE(first.WriteAtomically(path, BytesOf("programming"), reason, lock.get()));
        }
        // The reason names the file flushed: the temporary one beside the journal, or the journal.
        const std::string named = c.underTheName ? path + ": " : path + ".tmp-";
        EXPECT_EQ(reason.rfind(named, 0), 0u) << reason;
        EXPECT_GT(reason.size(), named.size() + 2) << "the system's reason follows the name";
        EXPECT_EQ(second.Read(path, 100, read, reason), ReadOutcome::InUse);
        lock.reset();
        ASSERT_EQ(second.Read(path, 100, read, reason), ReadOutcome::Read) << reason;
        EXPECT_EQ(Text(read), c.left);
    }
    for (const std::string& listed : first.List())
        EXPECT_EQ(listed.find(".tmp-"), std::string::npos) << listed << ": a temporary file left";
}

TEST_F(Win32FolderStorage, TheFolderIsCheckedForReadingWithoutBeingMade) {
    // Missing, its parent too: nothing to read.
    EXPECT_TRUE(first.CheckFolderForReading(reason)) << reason;
    EXPECT_FALSE(fs::exists(root.Path() / L"Zo\u00EB"));
    ASSERT_TRUE(first.CheckFolder(reason)) << reason;
    EXPECT_TRUE(first.CheckFolderForReading(reason)) << reason;

    // Judged as CheckFolder judges it.
    const std::string file = Utf8(root.Path() / L"Zo\u00EB" / L"a-file");
    TemporaryFolder::WriteAll(FromUtf8(file), "");
    FolderStorage onAFile(file);
    EXPECT_FALSE(onAFile.CheckFolderForReading(reason));
    EXPECT_EQ(reason, file + ": not a folder");
    EXPECT_FALSE(onAFile.CheckFolder(reason));
    EXPECT_EQ(reason, file + ": not a folder");
    EXPECT_FALSE(FolderStorage("").CheckFolderForReading(reason));
    EXPECT_EQ(reason, "no folder named");
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

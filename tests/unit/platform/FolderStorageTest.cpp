#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <thread>

#include "StorageChecks.h"
#include "TemporaryFolder.h"
#include "platform/FolderStorage.h"

namespace {

// How flock(2) behaves in this test program, set by a test for its own length (FlockAs).
std::atomic<bool> flockAsOnNfs{false};
std::atomic<int> flockFailure{0};

}  // namespace

// flock(2) for the storage under test, which is linked into this program: the system's, unless a
// test makes it fail with an error of its choosing, or behave as on an NFS home, where it is
// emulated with fcntl locks and so takes an exclusive lock only on a descriptor open for writing.
extern "C" int flock(int fd, int operation) noexcept {
    if (const int error = flockFailure.load()) {
        errno = error;
        return -1;
    }
    if (flockAsOnNfs.load() && (operation & LOCK_EX) != 0 && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return static_cast<int>(syscall(SYS_flock, fd, operation));
}

namespace {

namespace fs = std::filesystem;

class FlockAs {
public:
    FlockAs(bool onNfs, int failure) {
        flockAsOnNfs = onNfs;
        flockFailure = failure;
    }
    ~FlockAs() {
        flockAsOnNfs = false;
        flockFailure = 0;
    }
    FlockAs(const FlockAs&) = delete;
    FlockAs& operator=(const FlockAs&) = delete;
};

TEST(FolderStorage, ReplacesWholeFilesAndListsOnlyFiles) {
    TemporaryFolder root;
    FolderStorage storage(root.Path().string());
    const std::string path = storage.PathOf("a.journal");
    // What an interrupted earlier write left behind does not stand in the way.
    TemporaryFolder::WriteAll(path + ".tmp", "half");
    fs::create_directory(root.File("sub"));
    fs::create_symlink(path + ".tmp", root.File("link"));

    std::string reason;
    ASSERT_TRUE(storage.WriteAtomically(path, BytesOf("first"), reason)) << reason;
    ASSERT_TRUE(storage.WriteAtomically(path, BytesOf("second"), reason)) << reason;
    EXPECT_EQ(TemporaryFolder::ReadAll(path), "second");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    auto listed = storage.List();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{path, path + ".tmp"}));

    std::vector<uint8_t> read;
    ASSERT_EQ(storage.Read(path, 6, read, reason), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "second");
    EXPECT_EQ(storage.Read(path, 5, read, reason), ReadOutcome::Failed);
    EXPECT_EQ(reason, path + ": larger than a journal can be");
    EXPECT_EQ(storage.Read(root.File("sub"), 5, read, reason), ReadOutcome::Failed);
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
    EXPECT_EQ(root.Names(),
              (std::vector<std::string>{"b.journal-2.unusable", "b.journal-3.unusable", "b.journal.unusable"}));
    EXPECT_EQ(TemporaryFolder::ReadAll(path + ".unusable"), "one");
    EXPECT_FALSE(storage.MoveAside(path, ".unusable", moved, reason));
}

// Two objects on one folder stand for two instances of the program: flock(2) sets one open of a
// file against every other, also within one process.
class TwoInstances : public ::testing::Test {
protected:
    TemporaryFolder root;
    FolderStorage first{root.File("state")};
    FolderStorage second{root.File("state")};
    std::string reason;
    std::vector<uint8_t> read;

    std::unique_ptr<StorageLock> Create(FolderStorage& storage, const std::string& content, std::string& path) {
        auto lock = storage.CreateLocked("run", ".journal", BytesOf(content), path, reason);
        EXPECT_TRUE(lock) << reason;
        return lock;
    }
};

TEST_F(TwoInstances, AHeldFileIsInUseForEveryOtherOpenUntilItsLockGoes) {
    std::string path;
    auto lock = Create(first, "saved", path);
    ASSERT_EQ(path, first.PathOf("run.journal"));

    // The holder's own plain Read is one more open: it answers InUse like the other instance's.
    for (FolderStorage* storage : {&second, &first}) {
        read.clear();
        EXPECT_EQ(storage->Read(path, 100, read, reason), ReadOutcome::InUse);
        EXPECT_EQ(reason, path + ": in use by another run");
        EXPECT_TRUE(read.empty());
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
        EXPECT_EQ(TemporaryFolder::ReadAll(path), content);
        EXPECT_EQ(second.Read(path, 100, read, reason), ReadOutcome::InUse);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(first.Folder()), {}), 1) << "no temporary file left";

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

TEST_F(TwoInstances, ALockIsKeptOnAnNfsHomeToo) {
    const FlockAs nfs(true, 0);
    std::string path;
    Create(first, "saved", path).reset();

    std::unique_ptr<StorageLock> taken;
    ASSERT_EQ(second.Read(path, 100, read, reason, &taken), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "saved");
    EXPECT_EQ(first.Read(path, 100, read, reason), ReadOutcome::InUse);
    ASSERT_TRUE(second.WriteAtomically(path, BytesOf("programming"), reason, taken.get())) << reason;
    EXPECT_EQ(first.Read(path, 100, read, reason), ReadOutcome::InUse);
    taken.reset();
    ASSERT_EQ(first.Read(path, 100, read, reason, &taken), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "programming");

    // Opened for writing, but never made.
    const std::string missing = first.PathOf("missing.journal");
    std::unique_ptr<StorageLock> none;
    EXPECT_EQ(first.Read(missing, 100, read, reason, &none), ReadOutcome::Failed);
    EXPECT_EQ(reason, missing + ": No such file or directory");
    EXPECT_FALSE(fs::exists(missing));
}

// The caller treats InUse as another run's journal and leaves it be: a lock that fails for any
// other reason must not pass for that.
TEST_F(TwoInstances, OnlyALockSomeoneHoldsIsInUse) {
    std::string path;
    Create(first, "saved", path).reset();
    const struct {
        int error;
        ReadOutcome outcome;
        const char* said;  // after the path
    } cases[] = {
        {EWOULDBLOCK, ReadOutcome::InUse, ": in use by another run"},
        {ENOLCK, ReadOutcome::Failed, ": No locks available"},
        {EBADF, ReadOutcome::Failed, ": Bad file descriptor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const FlockAs failing(false, c.error);
        for (const bool keeping : {false, true}) {
            std::unique_ptr<StorageLock> taken;
            EXPECT_EQ(second.Read(path, 100, read, reason, keeping ? &taken : nullptr), c.outcome);
            EXPECT_EQ(reason, path + c.said);
            EXPECT_FALSE(taken);
        }
        EXPECT_FALSE(second.WriteAtomically(path, BytesOf("theirs"), reason));
        EXPECT_EQ(reason, path + c.said);
    }
    EXPECT_EQ(TemporaryFolder::ReadAll(path), "saved");
}

TEST_F(TwoInstances, ALockServesOnlyItsOwnFile) {
    std::string path, other;
    auto lock = Create(first, "one", path);
    auto otherLock = Create(first, "two", other);
    EXPECT_EQ(other, first.PathOf("run-2.journal"));
    EXPECT_FALSE(first.WriteAtomically(other, BytesOf("three"), reason, lock.get()));
    EXPECT_EQ(reason, other + ": the lock given is another file's");
    EXPECT_EQ(TemporaryFolder::ReadAll(other), "two");
}

TEST_F(TwoInstances, TheSystemReleasesTheLocksOfAProcessThatWasKilled) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string path, why;
        auto held = second.CreateLocked("run", ".journal", BytesOf("saved"), path, why);
        const char done = held ? 'y' : 'n';
        (void)!::write(ready[1], &done, 1);
        for (;;) pause();
    }
    close(ready[1]);
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    close(ready[0]);
    const std::string path = first.PathOf("run.journal");
    EXPECT_EQ(done, 'y');
    EXPECT_EQ(first.Read(path, 100, read, reason), ReadOutcome::InUse);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_EQ(first.Read(path, 100, read, reason), ReadOutcome::Read) << reason;
    EXPECT_EQ(Text(read), "saved");
}

TEST_F(TwoInstances, RunsReservingTheSameNameAtOnceGetAFileEach) {
    constexpr int kRounds = 50;
    // A lock here is advisory: the file reads while it is held.
    ExpectTheSameNameReservedAtOnceGivesAFileEach(
        first, second, kRounds, [](const std::string& path, auto&) { return TemporaryFolder::ReadAll(path); });
    EXPECT_EQ(std::distance(fs::directory_iterator(first.Folder()), {}), 2 * kRounds) << "no temporary file left";
}

// Whoever can plant a link in the folder must not get the program to write where it points.
TEST_F(TwoInstances, LinksPlantedUnderLikelyNamesAreNeverFollowed) {
    std::string path;
    Create(first, "made the folder", path);
    const std::string victim = root.File("victim");
    TemporaryFolder::WriteAll(victim, "precious");
    const std::string target = first.PathOf("planted.journal");
    fs::create_symlink(victim, target);
    fs::create_symlink(victim, first.PathOf("planted.journal.tmp"));
    fs::create_symlink(victim, first.PathOf("mine.journal.tmp"));

    std::string created;
    auto lock = first.CreateLocked("planted", ".journal", BytesOf("new"), created, reason);
    ASSERT_TRUE(lock) << reason;
    EXPECT_EQ(created, first.PathOf("planted-2.journal"));
    EXPECT_FALSE(first.WriteAtomically(target, BytesOf("overwritten"), reason));
    ASSERT_TRUE(first.WriteAtomically(first.PathOf("mine.journal"), BytesOf("mine"), reason)) << reason;
    EXPECT_EQ(first.Read(target, 100, read, reason), ReadOutcome::Failed);
    std::string moved;
    EXPECT_FALSE(first.MoveAside(target, ".unusable", moved, reason));

    EXPECT_EQ(TemporaryFolder::ReadAll(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_EQ(TemporaryFolder::ReadAll(first.PathOf("mine.journal")), "mine");
}

TEST(FolderStorageCheck, TheFolderMustBeTheUsersAlone) {
    const struct {
        const char* name;
        std::function<void(const std::string&)> prepare;
        const char* wrong;  // what the reason says after the folder's path; none: accepted
    } cases[] = {
        {"missing with its parents", [](const std::string&) {}, nullptr},
        {"0700 already",
         [](const std::string& f) {
             fs::create_directories(f);
             fs::permissions(f, fs::perms::owner_all);
         },
         nullptr},
        {"0755",
         [](const std::string& f) {
             fs::create_directories(f);
             fs::permissions(f, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
         },
         ": open to other users (mode 0755)"},
        {"0710",
         [](const std::string& f) {
             fs::create_directories(f);
             fs::permissions(f, fs::perms::owner_all | fs::perms::group_exec);
         },
         ": open to other users (mode 0710)"},
        {"a file",
         [](const std::string& f) {
             fs::create_directories(fs::path(f).parent_path());
             TemporaryFolder::WriteAll(f, "");
         },
         ": not a folder"},
        {"a link that leads nowhere",
         [](const std::string& f) {
             fs::create_directories(fs::path(f).parent_path());
             fs::create_directory_symlink(f + "-gone", f);
         },
         ": No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder root;
        const std::string folder = root.File("state") + "/deeper/flash-updater";
        c.prepare(folder);
        FolderStorage storage(folder);
        std::string reason;
        // Checked for reading first, which judges the same but makes nothing (a missing folder is
        // nothing to read).
        const auto before = root.Names();
        const bool there = fs::exists(fs::symlink_status(folder));
        EXPECT_EQ(storage.CheckFolderForReading(reason), !c.wrong) << reason;
        if (c.wrong) {
            EXPECT_EQ(reason, folder + c.wrong);
        }
        EXPECT_EQ(root.Names(), before);
        EXPECT_EQ(fs::exists(fs::symlink_status(folder)), there);

        if (!c.wrong) {
            EXPECT_TRUE(storage.CheckFolder(reason)) << reason;
            EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
            continue;
        }
        EXPECT_FALSE(storage.CheckFolder(reason));
        EXPECT_EQ(reason, folder + c.wrong);
    }
    std::string reason;
    EXPECT_FALSE(FolderStorage("").CheckFolder(reason));
    EXPECT_EQ(reason, "no folder named");
    EXPECT_FALSE(FolderStorage("").CheckFolderForReading(reason));
    EXPECT_EQ(reason, "no folder named");
}

TEST(FolderStorageCheck, AFolderOfAnotherUserIsRefused) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody) GTEST_SKIP() << "only the superuser can give a folder to another user (\"nobody\")";
    TemporaryFolder root;
    const std::string folder = root.File("state");
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all);
    ASSERT_EQ(chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    FolderStorage storage(folder);
    std::string reason;
    EXPECT_FALSE(storage.CheckFolder(reason));
    EXPECT_EQ(reason, folder + ": belongs to another user");
    EXPECT_FALSE(storage.CheckFolderForReading(reason));
    EXPECT_EQ(reason, folder + ": belongs to another user");
}

TEST(FolderStorageHolds, OnlyFilesOfItsOwnFolder) {
    TemporaryFolder root;
    const std::string folder = root.File("state");
    fs::create_directories(folder + "/sub");
    fs::create_directory_symlink(folder, root.File("alias"));
    FolderStorage storage(folder);
    const struct {
        std::string path;
        bool held;
    } cases[] = {
        {storage.PathOf("x.journal"), true},
        {folder + "/sub/../x.journal", true},
        {root.File("alias") + "/x.journal", true},
        {folder + "/sub/x.journal", false},
        {root.File("x.journal"), false},
        {folder + "/", false},
        {folder + "/..", false},
        {folder, false},
        {"x.journal", false},
    };
    for (const auto& c : cases) EXPECT_EQ(storage.Holds(c.path), c.held) << c.path;
}

}  // namespace

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "LockOwners.h"
#include "TemporaryFolder.h"
#include "platform/posix/UucpLock.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Binary(int32_t pid) {
    std::string content(sizeof pid, '\0');
    std::memcpy(content.data(), &pid, sizeof pid);
    return content;
}

TEST(UucpLockTest, TheLockFileIsNamedAfterTheDevice) {
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/ttyUSB0", "LCK..ttyUSB0"},
        {"/dev/pts/3", "LCK..pts_3"},
        {"/dev/serial/tty9", "LCK..serial_tty9"},
        {"/tmp/links/ttyS1", "LCK..ttyS1"},
    };
    for (const auto& [device, name] : cases) EXPECT_EQ(UucpLockName(device), name) << device;
}

TEST(UucpLockTest, TheOwnerIsReadFromEitherFormatAndNothingElse) {
    const std::pair<std::string, std::optional<pid_t>> cases[] = {
        {"      4242\n", 4242},
        {"4242\n", 4242},
        {"4242", 4242},
        {"  4242 minicom dialout\n", 4242},
        {Binary(4242), 4242},
        {Binary(-3), std::nullopt},
        {"", std::nullopt},
        {"\n", std::nullopt},
        {"         0\n", std::nullopt},
        {"  -4242\n", std::nullopt},
        {"42x2\n", std::nullopt},
        {"99999999999999999999\n", std::nullopt},
        {"garbage\n", std::nullopt},
    };
    for (const auto& [content, owner] : cases) EXPECT_EQ(UucpLockOwner(content), owner) << '"' << content << '"';
}

TEST(UucpLockTest, OursIsMadeWholeInTheHdbFormatAndRemovedOnRelease) {
    TemporaryFolder folder;
    {
        UucpLock lock(folder.Path().string());
        ASSERT_EQ(lock.Take("/dev/ttyUSB42"), UucpLock::Outcome::Held);
        EXPECT_THAT(folder.Names(), ElementsAre("LCK..ttyUSB42")) << "no temporary file is left";
        EXPECT_EQ(TemporaryFolder::ReadAll(folder.File("LCK..ttyUSB42")), HdbLockContent(::getpid()));
        EXPECT_EQ(UucpLock(folder.Path().string()).Take("/dev/ttyUSB42"), UucpLock::Outcome::InUse)
            << "another port of this process is held off too";
        lock.Release();
        EXPECT_THAT(folder.Names(), IsEmpty());

        ASSERT_EQ(lock.Take("/dev/ttyUSB42"), UucpLock::Outcome::Held);
    }
    EXPECT_THAT(folder.Names(), IsEmpty()) << "released when the lock ends";
}

TEST(UucpLockTest, ALiveOwnersLockIsHonouredAndAStaleOneReplaced) {
    struct Case {
        std::string name;
        std::string content;
        UucpLock::Outcome outcome;
    };
    const Case cases[] = {
        {"a live process", HdbLockContent(::getppid()), UucpLock::Outcome::InUse},
        {"a live process, binary", Binary(::getppid()), UucpLock::Outcome::InUse},
        {"a dead process", HdbLockContent(DeadProcessId()), UucpLock::Outcome::Held},
        {"garbage", "not a pid\n", UucpLock::Outcome::Held},
        {"empty", "", UucpLock::Outcome::Held},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const std::string file = folder.File("LCK..ttyACM0");
        TemporaryFolder::WriteAll(file, c.content);
        UucpLock lock(folder.Path().string());
        EXPECT_EQ(lock.Take("/dev/ttyACM0"), c.outcome);
        const bool held = c.outcome == UucpLock::Outcome::Held;
        EXPECT_EQ(TemporaryFolder::ReadAll(file), held ? HdbLockContent(::getpid()) : c.content);
        lock.Release();
        EXPECT_EQ(folder.Names().size(), held ? 0u : 1u);
    }
}

TEST(UucpLockTest, WithoutALockFolderThePortIsUsedUnlocked) {
    TemporaryFolder folder;
    UucpLock lock(folder.File("missing"));
    EXPECT_EQ(lock.Take("/dev/ttyUSB0"), UucpLock::Outcome::Unlocked);
    lock.Release();
}

// A program that judged our lock stale and put its own in its place keeps it.
TEST(UucpLockTest, ALockThatIsNoLongerOursIsLeftAtRelease) {
    TemporaryFolder folder;
    UucpLock lock(folder.Path().string());
    ASSERT_EQ(lock.Take("/dev/ttyUSB0"), UucpLock::Outcome::Held);
    const std::string theirs = HdbLockContent(::getppid());
    TemporaryFolder::WriteAll(folder.File("LCK..ttyUSB0"), theirs);
    lock.Release();
    EXPECT_EQ(TemporaryFolder::ReadAll(folder.File("LCK..ttyUSB0")), theirs);
}

}  // namespace

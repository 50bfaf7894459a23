#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LockOwners.h"
#include "PseudoTerminal.h"
#include "TemporaryFolder.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A pty whose lock files live in a folder of the test's own.
struct LockedLine {
    PseudoTerminal line;
    TemporaryFolder locks;
    const std::string lockName = UucpLockName(line.SlavePath());
    const std::string lockFile = locks.File(lockName);
    const std::string settingsBefore = LineSettingsText(line.SlaveSettings());
    PosixSerialPort port{{line.SlavePath()}, locks.Path().string()};
};

TEST(HeldPortPtyTest, APortUnderALiveProcesssLockIsInUseAndNeverTouched) {
    LockedLine held;
    const std::string theirs = HdbLockContent(::getppid());
    TemporaryFolder::WriteAll(held.lockFile, theirs);
    EXPECT_FALSE(held.port.Open(1));
    EXPECT_EQ(held.port.LastOpenError(), PortOpenError::InUse);
    EXPECT_EQ(LineSettingsText(held.line.SlaveSettings()), held.settingsBefore) << "not even set up";
    EXPECT_TRUE(held.line.ReadAvailable().empty());
    EXPECT_EQ(TemporaryFolder::ReadAll(held.lockFile), theirs);
}

TEST(HeldPortPtyTest, AStaleLockIsReplacedByOursAndOursIsGoneAfterTheClose) {
    LockedLine held;
    TemporaryFolder::WriteAll(held.lockFile, HdbLockContent(DeadProcessId()));
    ASSERT_TRUE(held.port.Open(1));
    EXPECT_THAT(held.locks.Names(), ElementsAre(held.lockName));
    EXPECT_EQ(TemporaryFolder::ReadAll(held.lockFile), HdbLockContent(::getpid()));
    held.port.Close();
    EXPECT_THAT(held.locks.Names(), IsEmpty());
    EXPECT_EQ(LineSettingsText(held.line.SlaveSettings()), held.settingsBefore);
}

// Made raw, the operator's terminal would stop echoing and reading lines.
TEST(HeldPortPtyTest, TheTerminalThisProgramRunsInIsRefusedAndLeftAsItIs) {
    LockedLine own;
    const pid_t child = ::fork();
    if (child == 0) {
        // A session of its own, the pty its controlling terminal.
        if (::setsid() < 0 || ::open(own.line.SlavePath().c_str(), O_RDWR) < 0) ::_exit(100);
        PosixSerialPort port({"/dev/tty", own.line.SlavePath()}, own.locks.Path().string());
        int refusedWrongly = 0;
        for (const int32_t number : {1, 2})
            if (port.Open(number) || port.LastOpenError() != PortOpenError::OwnTerminal) refusedWrongly |= number;
        ::_exit(refusedWrongly);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: /dev/tty opened, 2: the pty opened, 100: no terminal of its own";
    EXPECT_EQ(LineSettingsText(own.line.SlaveSettings()), own.settingsBefore);
    EXPECT_TRUE(own.line.ReadAvailable().empty());
    EXPECT_THAT(own.locks.Names(), IsEmpty());
}

}  // namespace

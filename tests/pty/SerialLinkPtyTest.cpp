#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <numeric>
#include <string>

#include "PseudoTerminal.h"
#include "TestBench.h"
#include "link/RequestTable.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// The dialog on the slave side of a pseudo-terminal, port open and receive thread running.
struct PtyLink {
    PseudoTerminal line;
    PosixSerialPort device{{line.SlavePath()}};
    TestBench bench{device};
    CFlashDlg& dlg = *bench.dlg;
    size_t delivered = 0;

    PtyLink() {
        EXPECT_TRUE(dlg.OpenPort(1));
        dlg.StartCommThread();
        dlg.dongleVersion = -1;
        // As if the adapter's version request had just gone out.
        dlg.lastSentRow = Row::InterfaceVersion;
        dlg.scheduler.awaitingResponse = 1;
    }

    // Sends bytes from the far end and waits until the receive thread has handled them.
    void Deliver(const Bytes& bytes) {
        line.Write(bytes);
        delivered += bytes.size();
        ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(delivered));
    }
};

TEST(SerialLinkPtyTest, TheReceiveThreadAssemblesWhatArrivesInEachRead) {
    Bytes chunk256(256);
    std::iota(chunk256.begin(), chunk256.end(), uint8_t{0x10});
    Bytes badSum = kVersionAnswer;
    badSum.back() ^= 1;
    struct Case {
        std::string name;
        std::vector<Bytes> reads;
        bool handled;
        uint8_t rxCount;
    };
    const std::vector<Case> cases = {
        {"a frame in one read", {kVersionAnswer}, true, 0},
        {"a frame split over two reads", {{0x06, 0xD0, 0x00}, {'1', '2', '3', 0x6C}}, true, 0},
        {"a wrong sum", {badSum}, false, 0},
        {"a stray byte before a frame", {Joined({{0x55}, kVersionAnswer})}, false, 8},
        {"two frames in one read", {Joined({kVersionAnswer, kVersionAnswer})}, false, 14},
        {"a read of 256 bytes", {chunk256}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyLink link;
        for (const Bytes& read : c.reads) link.Deliver(read);
        EXPECT_EQ(link.dlg.dongleVersion, c.handled ? 123 : -1);
        EXPECT_EQ(link.dlg.rxCount, c.rxCount);
    }
    PtyLink link;
    link.Deliver(chunk256);
    EXPECT_TRUE(std::equal(link.dlg.rxBuffer.begin(), link.dlg.rxBuffer.end(), chunk256.begin()))
        << "all 256 bytes were appended";
}

TEST(SerialLinkPtyTest, TheLineSpeedCanBeReadBackFromTheFarEnd) {
    PseudoTerminal line;
    PosixSerialPort device({line.SlavePath()});
    TestBench bench(device);
    CFlashDlg& dlg = *bench.dlg;
    const auto speed = [&] {
        const termios settings = line.SlaveSettings();
        EXPECT_EQ(cfgetispeed(&settings), cfgetospeed(&settings));
        return cfgetospeed(&settings);
    };
    ASSERT_EQ(speed(), B38400) << "a new pty";
    ASSERT_TRUE(dlg.OpenPort(1));
    EXPECT_EQ(speed(), B9600);
    for (auto [selector, expected] : {std::pair{1, B38400}, {0, B9600}, {1, B38400}, {2, B9600}}) {
        ASSERT_TRUE(dlg.SetLineSpeed(selector));
        EXPECT_EQ(speed(), expected) << selector;
    }
}

TEST(SerialLinkPtyTest, ThePortIsRaw8N1WithoutFlowControlAndHeldExclusively) {
    PseudoTerminal line;
    PosixSerialPort port({line.SlavePath()});
    PosixSerialPort rival({line.SlavePath()});
    ASSERT_TRUE(port.Open(1));

    const termios settings = line.SlaveSettings();
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);

    EXPECT_FALSE(rival.Open(1)) << "a second opener is refused";
    EXPECT_FALSE(port.Open(1)) << "an open port is not opened again";
    port.Close();
    EXPECT_TRUE(rival.Open(1));
    EXPECT_FALSE(port.Open(2)) << "no such port";
}

// The loser of the race for a port must not touch the winner's hold on it: the exclusivity belongs
// to the terminal, so giving it up on the way out would open the port to everyone.
TEST(SerialLinkPtyTest, ARivalIsToldThePortIsInUseAndLeavesTheHolderExclusive) {
    PseudoTerminal line;
    PosixSerialPort port({line.SlavePath()});
    PosixSerialPort rival({line.SlavePath()});
    ASSERT_TRUE(port.Open(1));
    EXPECT_EQ(port.LastOpenError(), PortOpenError::None);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(rival.Open(1));
        EXPECT_EQ(rival.LastOpenError(), PortOpenError::InUse);
    }
    const int other = ::open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (other < 0) {
        EXPECT_EQ(errno, EBUSY) << "exclusive: only a privileged program may open it";
    } else {
        int exclusive = 0;
        EXPECT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
        ::close(other);
    }
    EXPECT_TRUE(line.ReadAvailable().empty()) << "nothing was written to the line";
}

TEST(SerialLinkPtyTest, APortThatDoesNotOpenSaysWhy) {
    const std::string folder = ::testing::TempDir() + "serial-open-" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string file = folder + "/file";
    ::close(::open(file.c_str(), O_CREAT | O_WRONLY, 0600));
    const std::pair<std::string, PortOpenError> cases[] = {
        {folder + "/missing", PortOpenError::Missing},
        {"/dev/null", PortOpenError::NotSerial},
        {file, PortOpenError::NotSerial},
        {folder, PortOpenError::NotSerial},
    };
    for (const auto& [path, error] : cases) {
        PosixSerialPort port({path});
        EXPECT_FALSE(port.Open(1)) << path;
        EXPECT_EQ(port.LastOpenError(), error) << path;
    }
    if (::geteuid() != 0) {  // the superuser opens anything
        ::chmod(file.c_str(), 0);
        PosixSerialPort port({file});
        EXPECT_FALSE(port.Open(1));
        EXPECT_EQ(port.LastOpenError(), PortOpenError::NoPermission);
    }
    ::unlink(file.c_str());
    ::rmdir(folder.c_str());
}

TEST(SerialLinkPtyTest, InterruptAndCloseWakeTheReaderAtOnce) {
    PseudoTerminal line;
    PosixSerialPort port({line.SlavePath()});
    ASSERT_TRUE(port.Open(1));
    ASSERT_EQ(port.StartReading(), SerialPort::ReaderSetup::Ready);
    for (const auto& wake :
         {std::function<void()>([&] { port.Interrupt(); }), std::function<void()>([&] { port.Close(); })}) {
        auto waited = std::async(std::launch::async, [&] { return port.WaitForInput(); });
        wake();
        EXPECT_EQ(waited.get(), SerialPort::WaitResult::Interrupted);
    }
    // Closed, the port only waits to be woken.
    line.Write({0x01});
    auto waited = std::async(std::launch::async, [&] { return port.WaitForInput(); });
    port.Interrupt();
    EXPECT_EQ(waited.get(), SerialPort::WaitResult::Interrupted);
    port.StopReading();
}

TEST(SerialLinkPtyTest, ALostLineLeavesTheReceiveThreadAsleepUntilItIsStopped) {
    PtyLink link;
    link.Deliver(kVersionAnswer);
    ASSERT_EQ(link.dlg.dongleVersion, 123);
    const int waitsBefore = link.bench.link.WaitsEntered();

    link.line.CloseMaster();
    ASSERT_TRUE(Eventually([&] { return link.device.LineLost(); }));
    link.dlg.ClosePort();

    EXPECT_EQ(link.bench.link.WaitsEntered(), waitsBefore) << "the wait never returned until the stop";
    EXPECT_FALSE(link.dlg.commThread.Exists());
}

}  // namespace

#include "platform/posix/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/LowLatency.h"

namespace {

// Only for a device this program made exclusive: exclusivity outlives our descriptor on a terminal
// that someone else keeps open (the master side of a pseudo-terminal), so it is given up
// explicitly.
void CloseDevice(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

PortOpenError OpenErrorOf(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return PortOpenError::Missing;
    case EACCES:
    case EPERM: return PortOpenError::NoPermission;
    case EBUSY:
    case EWOULDBLOCK: return PortOpenError::InUse;
    case EISDIR:
    case ENOTTY: return PortOpenError::NotSerial;
    default: return PortOpenError::Other;
    }
}

// Told by the name alone, before anything is opened or locked: /dev/tty, or the terminal on a
// standard descriptor (which need not be the controlling one, as for a program started through
// setsid).
bool NamesOperatorsTerminal(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return false;
    const auto same = [&](const struct stat& other) {
        return S_ISCHR(other.st_mode) && other.st_rdev == device.st_rdev;
    };
    struct stat other {};
    if (::stat("/dev/tty", &other) == 0 && same(other)) return true;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (::isatty(fd) && ::fstat(fd, &other) == 0 && same(other)) return true;
    return false;
}

// The controlling terminal under any other name (a link to it, its /dev/pts path).
bool IsControllingTerminal(int fd) {
    pid_t session = 0;
    return ::ioctl(fd, TIOCGSID, &session) == 0 && session == ::getsid(0);
}

// The lock comes first: a program that loses it must leave the device as it found it, and
// TIOCNXCL would take the exclusivity from the program that holds it. TIOCEXCL does not hold
// back a privileged opener; the lock holds back every program that takes it too.
int OpenExclusively(const std::string& path, PortOpenError& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = OpenErrorOf(errno);
        return -1;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        error = PortOpenError::NotSerial;
        return -1;
    }
    if (IsControllingTerminal(fd)) {
        ::close(fd);
        error = PortOpenError::OwnTerminal;
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = OpenErrorOf(errno);
        ::close(fd);
        return -1;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        error = OpenErrorOf(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

void DrainWakeUps(int fd) {
    char sink[64];
    while (::read(fd, sink, sizeof sink) > 0) {
    }
}

constexpr short kLineGone = POLLHUP | POLLERR | POLLNVAL;

// A frame takes at most 52 ms on the line; an output queue that has not moved for this long has
// stopped draining (a stalled device), and the frame is given up like a lost one.
constexpr int kWriteStallMs = 1000;

}  // namespace

PosixSerialPort::PosixSerialPort(std::vector<std::string> devicePaths, std::string lockFolder)
    : devicePaths_(std::move(devicePaths)), lock_(std::move(lockFolder)) {
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
        writerWakeRead_ = ends[0];
        writerWakeWrite_ = ends[1];
    }
}

PosixSerialPort::~PosixSerialPort() {
    Close();
    StopReading();
    for (int fd : {writerWakeRead_, writerWakeWrite_})
        if (fd >= 0) ::close(fd);
}

bool PosixSerialPort::Open(int32_t portNumber) {
    lastOpenError_ = PortOpenError::Other;
    if (portNumber < 1 || static_cast<size_t>(portNumber) > devicePaths_.size() || device_.IsOpen()) return false;
    const std::string& path = devicePaths_[static_cast<size_t>(portNumber) - 1];
    if (NamesOperatorsTerminal(path)) {
        lastOpenError_ = PortOpenError::OwnTerminal;
        return false;
    }
    // Before the open: a device another program holds is not even opened for its settings.
    if (lock_.Take(path) == UucpLock::Outcome::InUse) {
        lastOpenError_ = PortOpenError::InUse;
        return false;
    }
    const int fd = OpenExclusively(path, lastOpenError_);
    if (fd < 0) {
        lock_.Release();
        return false;
    }
    if (writerWakeRead_ >= 0) DrainWakeUps(writerWakeRead_);  // a wake-up left from the last close
    const bool lineSaved = SaveLine(fd, savedLine_);
    if (!lineSaved || !ApplyLineSettings(fd, 9600)) {
        lastOpenError_ = PortOpenError::NotSerial;
        Release(fd, lineSaved);
        return false;
    }
    if (::tcflush(fd, TCIOFLUSH) != 0 || !device_.Install(fd)) {
        Release(fd, true);
        return false;
    }
    lastOpenError_ = PortOpenError::None;
    AskForLowLatency(fd);
    lineLost_ = false;
    return true;
}

bool PosixSerialPort::IsOpen() const { return device_.IsOpen(); }

bool PosixSerialPort::SetBaudRate(uint32_t baud) {
    std::lock_guard writing(writeMutex_);
    const auto use = device_.Acquire();
    return use && ApplyLineSettings(use.get(), baud);
}

bool PosixSerialPort::Write(const uint8_t* data, size_t count) {
    std::lock_guard writing(writeMutex_);
    const auto use = device_.Acquire();
    if (!use) return false;
    while (count > 0) {
        const ssize_t written = ::write(use.get(), data, count);
        if (written > 0) {
            data += written;
            count -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            if (!WaitForWriteRoom(use.get())) return false;
        } else {
            return false;
        }
    }
    return true;
}

// False when the line is gone, the port is closing, or the output queue has stopped draining:
// a write never holds up the thread that sends, nor a close.
bool PosixSerialPort::WaitForWriteRoom(int fd) {
    pollfd watched[2] = {{fd, POLLOUT, 0}, {writerWakeRead_, POLLIN, 0}};
    int ready = 0;
    while ((ready = ::poll(watched, 2, kWriteStallMs)) < 0) {
        if (errno != EINTR) return false;
    }
    if (ready == 0 || watched[1].revents != 0) return false;
    return (watched[0].revents & kLineGone) == 0;
}

void PosixSerialPort::WakeWriter() {
    if (writerWakeWrite_ < 0) return;
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(writerWakeWrite_, &wake, 1);
}

SerialPort::ReaderSetup PosixSerialPort::StartReading() {
    std::lock_guard lock(wakeMutex_);
    if (wakeRead_ < 0) {
        int ends[2];
        if (::pipe(ends) != 0) return ReaderSetup::NoWaitObject;
        for (int fd : ends) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
        }
        wakeRead_ = ends[0];
        wakeWrite_ = ends[1];
    }
    return device_.IsOpen() ? ReaderSetup::Ready : ReaderSetup::Refused;
}

SerialPort::WaitResult PosixSerialPort::WaitForInput() {
    int wake = -1;
    {
        std::lock_guard lock(wakeMutex_);
        wake = wakeRead_;
    }
    for (;;) {
        const auto use = device_.Acquire();
        // poll() skips a negative descriptor: a closed or lost line leaves only the wake-up.
        pollfd watched[2] = {{wake, POLLIN, 0}, {use && !lineLost_ ? use.get() : -1, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno != EINTR) lineLost_ = true;
            continue;
        }
        if (watched[0].revents != 0) {
            DrainWakeUps(wake);
            return WaitResult::Interrupted;
        }
        if (watched[1].revents & kLineGone) {
            lineLost_ = true;
        } else if (watched[1].revents & POLLIN) {
            return WaitResult::DataAvailable;
        }
    }
}

size_t PosixSerialPort::Read(uint8_t* data, size_t capacity) {
    const auto use = device_.Acquire();
    if (!use || lineLost_ || capacity == 0) return 0;
    for (;;) {
        const ssize_t got = ::read(use.get(), data, capacity);
        if (got > 0) return static_cast<size_t>(got);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return 0;
        // End of file on a terminal is a hang-up; any other error means the device has gone.
        lineLost_ = true;
        return 0;
    }
}

void PosixSerialPort::StopReading() {
    std::lock_guard lock(wakeMutex_);
    for (int* fd : {&wakeRead_, &wakeWrite_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void PosixSerialPort::Purge() {
    if (const auto use = device_.Acquire()) ::tcflush(use.get(), TCIOFLUSH);
}

void PosixSerialPort::Interrupt() {
    std::lock_guard lock(wakeMutex_);
    if (wakeWrite_ < 0) return;
    const char wake = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &wake, 1);
}

void PosixSerialPort::Close() {
    const int fd = device_.Retire([this](int) {
        Interrupt();
        WakeWriter();
    });
    if (fd >= 0) Release(fd, true);
}

void PosixSerialPort::Release(int fd, bool lineSaved) {
    if (lineSaved) RestoreLine(fd, savedLine_);
    CloseDevice(fd);
    lock_.Release();
}

#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {

// steady_clock is CLOCK_MONOTONIC here, the clock the timerfd runs on.
uint64_t MonotonicNs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

uint32_t BaudOf(speed_t speed) {
    switch (speed) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;  // a speed the adapter never talks at: everything garbles
    }
}

HostLineSettings LineOf(const termios& t) {
    HostLineSettings line;
    switch (t.c_cflag & CSIZE) {
    case CS5: line.dataBits = 5; break;
    case CS6: line.dataBits = 6; break;
    case CS7: line.dataBits = 7; break;
    default: line.dataBits = 8; break;
    }
    line.parity = !(t.c_cflag & PARENB) ? 'N' : (t.c_cflag & PARODD) ? 'O' : 'E';
    line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    line.flowControl = (t.c_cflag & CRTSCTS) || (t.c_iflag & (IXON | IXOFF));
    return line;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

PtyServer::PtyServer(Simulator& simulator, Settings settings) : simulator_(simulator), settings_(settings) {}

PtyServer::~PtyServer() {
    CloseIfOpen(master_);
    CloseIfOpen(inotify_);
    CloseIfOpen(timer_);
    CloseIfOpen(signals_);
}

bool PtyServer::Open(std::string& error) {
    const auto fail = [&](const char* what) {
        error = std::string(what) + ": " + std::strerror(errno);
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("pseudo-terminal");
    const char* name = ptsname(master_);
    if (!name) return fail("ptsname");
    slavePath_ = name;

    // Settings on the master apply to the slave: a raw line at 9600 baud, as an adapter's port
    // comes up. EXTPROC makes packet mode report every change of them.
    termios t{};
    if (tcgetattr(master_, &t) != 0) return fail("tcgetattr");
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_lflag |= EXTPROC;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (tcsetattr(master_, TCSANOW, &t) != 0) return fail("tcsetattr");
    int on = 1;
    if (ioctl(master_, TIOCPKT, &on) != 0) return fail("TIOCPKT");
    lastHostBaud_ = 9600;

    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0 || inotify_add_watch(inotify_, name, IN_OPEN | IN_CLOSE) < 0) return fail("inotify");
    timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timer_ < 0) return fail("timerfd");

    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return fail("sigprocmask");
    signals_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals_ < 0) return fail("signalfd");
    signal(SIGPIPE, SIG_IGN);
    startNs_ = MonotonicNs();
    return true;
}

uint64_t PtyServer::NowUs() const { return (MonotonicNs() - startNs_) / 1000; }

uint32_t PtyServer::HostBaud() const {
    termios t{};
    if (master_ < 0 || tcgetattr(master_, &t) != 0) return 0;
    return BaudOf(cfgetospeed(&t));
}

void PtyServer::ArmTimer() {
    itimerspec setting{};
    if (const auto next = simulator_.NextEventTime()) {
        const uint64_t at = startNs_ + *next * 1000;
        setting.it_value.tv_sec = static_cast<time_t>(at / 1'000'000'000ull);
        setting.it_value.tv_nsec = static_cast<long>(at % 1'000'000'000ull);
    }
    timerfd_settime(timer_, TFD_TIMER_ABSTIME, &setting, nullptr);
}

// The slave's settings as the host left them: the adapter objects to anything but 8N1 without
// flow control.
void PtyServer::ReportHostLine() {
    termios t{};
    if (tcgetattr(master_, &t) == 0) simulator_.SetHostLineSettings(LineOf(t));
}

void PtyServer::OnMasterReadable() {
    uint8_t buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    ReportHostLine();
    if (buffer[0] == TIOCPKT_DATA) {
        simulator_.Receive({buffer + 1, static_cast<std::size_t>(n - 1)}, HostBaud(), NowUs());
        return;
    }
    if (buffer[0] & TIOCPKT_IOCTL) {
        const uint32_t baud = HostBaud();
        if (settings_.trace && baud != lastHostBaud_)
            std::fprintf(stderr, "%10.3f host at %u baud\n", double(NowUs()) / 1e6, baud);
        lastHostBaud_ = baud;
    }
}

void PtyServer::OnInotify() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(inotify_, buffer, sizeof buffer);
        if (n <= 0) return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) {
                ++openCount_;
                everOpened_ = true;
            }
            if ((event->mask & IN_CLOSE) && openCount_ > 0) --openCount_;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool PtyServer::OnSignal() {
    signalfd_siginfo info{};
    while (read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo != SIGUSR1) return false;
        simulator_.PowerCycle(NowUs());
    }
    return true;
}

void PtyServer::Flush() {
    while (!outgoing_.empty()) {
        const ssize_t n = write(master_, outgoing_.data(), outgoing_.size());
        if (n <= 0) return;  // the other side's queue is full: poll says when it drains
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
    }
}

// The last answer is in the terminal's queue, but closing the master now could discard it before
// the program has read it: wait for the program to close its side, a while at most.
void PtyServer::AwaitTheLineClosed(int mostMs) {
    const uint64_t endUs = NowUs() + uint64_t(mostMs) * 1000;
    while (openCount_ > 0) {
        const uint64_t now = NowUs();
        if (now >= endUs) return;
        pollfd watch{inotify_, POLLIN, 0};
        if (poll(&watch, 1, static_cast<int>((endUs - now) / 1000) + 1) <= 0) return;
        OnInotify();
    }
}

void PtyServer::Run() {
    for (;;) {
        ArmTimer();
        pollfd fds[4] = {{signals_, POLLIN, 0}, {inotify_, POLLIN, 0}, {timer_, POLLIN, 0}, {-1, 0, 0}};
        // With nobody on the other side the master only reports hang-up; it waits until an open.
        if (openCount_ > 0) fds[3] = {master_, static_cast<short>(POLLIN | (outgoing_.empty() ? 0 : POLLOUT)), 0};
        if (poll(fds, 4, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if ((fds[0].revents & POLLIN) && !OnSignal()) return;
        if (fds[1].revents & POLLIN) OnInotify();
        if (fds[2].revents & POLLIN) {
            uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t n = read(timer_, &expirations, sizeof expirations);
        }
        if (fds[3].revents & POLLIN) OnMasterReadable();
        // Hang-up: every description of the slave is closed, whatever inotify has told so far.
        if (fds[3].revents & POLLHUP) openCount_ = 0;

        const auto due = simulator_.TakeDue(NowUs(), HostBaud());
        if (openCount_ > 0)
            outgoing_.insert(outgoing_.end(), due.begin(), due.end());
        else
            outgoing_.clear();
        Flush();

        if (simulator_.Unplugged()) return;
        if (settings_.once && simulator_.UpdateFinished() && outgoing_.empty()) {
            AwaitTheLineClosed(kLingerMs);
            return;
        }
        if (settings_.once && everOpened_ && openCount_ == 0) return;
    }
}

}  // namespace sim

// Reading standard input on POSIX: the reader sleeps in poll() on the input and a stop pipe.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "ui/console/LineInput.h"

LineInput::~LineInput() {
    if (reader_.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const ssize_t n = write(stopWrite_, &stop, 1);
        reader_.join();
    }
    if (stopRead_ >= 0) close(stopRead_);
    if (stopWrite_ >= 0) close(stopWrite_);
}

void LineInput::StartReading() {
    std::lock_guard lock(mutex_);
    if (started_) return;
    started_ = true;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        ended_ = true;
        return;
    }
    stopRead_ = pipeFds[0];
    stopWrite_ = pipeFds[1];
    reader_ = std::thread([this] { ReadLoop(); });
}

void LineInput::ReadLoop() {
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stopRead_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) return;
        if (fds[0].revents == 0) continue;
        // A discard may have emptied the terminal since: looked at again under the lock, the
        // input is read only when it still has something, so the read neither blocks nor hands
        // over what the discard dropped.
        std::lock_guard readLock(readMutex_);
        pollfd input{fd_, POLLIN, 0};
        if (poll(&input, 1, 0) < 0 && errno != EINTR) break;
        if (input.revents == 0) continue;
        char chunk[256];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        Received(chunk, static_cast<size_t>(n));
    }
    InputEnded();
}

void LineInput::DiscardTypeAhead() {
    if (!::isatty(fd_)) return;
    std::lock_guard readLock(readMutex_);
    ::tcflush(fd_, TCIFLUSH);
    std::lock_guard lock(mutex_);
    buffered_.clear();
}

#include "ui/console/LineInput.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

LineInput::LineInput(int fd, std::function<void()> arrived) : fd_(fd), arrived_(std::move(arrived)) {}

LineInput::~LineInput() {
    if (reader_.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const ssize_t n = write(stopWrite_, &stop, 1);
        reader_.join();
    }
    if (stopRead_ >= 0) close(stopRead_);
    if (stopWrite_ >= 0) close(stopWrite_);
}

std::optional<std::string> LineInput::TakeLine() {
    StartReading();
    std::lock_guard lock(mutex_);
    const size_t end = buffered_.find('\n');
    if (end == std::string::npos) {
        // A last line without a line end still counts once the input has ended.
        if (!ended_ || buffered_.empty()) return std::nullopt;
        return std::exchange(buffered_, std::string());
    }
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool LineInput::Ended() {
    StartReading();
    std::lock_guard lock(mutex_);
    return ended_ && buffered_.empty();
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
        char chunk[256];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        {
            std::lock_guard lock(mutex_);
            buffered_.append(chunk, static_cast<size_t>(n));
        }
        arrived_();
    }
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    arrived_();
}

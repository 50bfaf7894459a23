#include "ui/console/LineInput.h"

#include <utility>

LineInput::LineInput(int fd, std::function<void()> arrived) : fd_(fd), arrived_(std::move(arrived)) {}

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

void LineInput::Received(const char* bytes, size_t count) {
    {
        std::lock_guard lock(mutex_);
        buffered_.append(bytes, count);
    }
    arrived_();
}

void LineInput::InputEnded() {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    arrived_();
}

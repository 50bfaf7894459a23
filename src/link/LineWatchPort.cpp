#include "link/LineWatchPort.h"

LineWatchPort::LineWatchPort(SerialPort& port, Clock now) : port_(port), now_(std::move(now)) {}

bool LineWatchPort::Open(int32_t portNumber) {
    const bool opened = port_.Open(portNumber);
    if (opened) {
        std::lock_guard lock(mutex_);
        answered_ = false;
        unansweredSince_.reset();
    }
    return opened;
}

bool LineWatchPort::Write(const uint8_t* data, size_t count) {
    {
        // Before the write, so that its answer can never come first.
        std::lock_guard lock(mutex_);
        if (!unansweredSince_) unansweredSince_ = now_();
    }
    return port_.Write(data, count);
}

size_t LineWatchPort::Read(uint8_t* data, size_t capacity) {
    const size_t count = port_.Read(data, capacity);
    if (count > 0) {
        std::lock_guard lock(mutex_);
        answered_ = true;
        unansweredSince_.reset();
    }
    return count;
}

LineLoss LineWatchPort::Loss() const {
    std::lock_guard lock(mutex_);
    if (!answered_) return LineLoss::None;
    if (port_.LineLost()) return LineLoss::DeviceGone;
    if (unansweredSince_ && now_() - *unansweredSince_ >= kSilenceLimit) return LineLoss::Silent;
    return LineLoss::None;
}

const char* LineLossReason(LineLoss loss) {
    switch (loss) {
    case LineLoss::DeviceGone: return "the line to the adapter was lost";
    case LineLoss::Silent: return "no answer from the adapter for 30 s";
    case LineLoss::None: break;
    }
    return "";
}

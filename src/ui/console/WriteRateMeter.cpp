#include "ui/console/WriteRateMeter.h"

#include <cmath>
#include <cstdio>

std::string WriteRateMeter::Describe(Time now, uint64_t written, uint64_t total) {
    if (start_ && written < lastWritten_) start_.reset();
    if (!start_) start_ = Mark{now, written};
    lastWritten_ = written;

    char text[128];
    int length = std::snprintf(text, sizeof text, "%llu of %llu bytes", static_cast<unsigned long long>(written),
                               static_cast<unsigned long long>(total));
    const double seconds = std::chrono::duration<double>(now - start_->time).count();
    const uint64_t progress = written - start_->written;
    if (seconds > 0 && progress > 0) {
        const double bytesPerSecond = static_cast<double>(progress) / seconds;
        const uint64_t left = total > written ? total - written : 0;
        std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ", %.1f kB/s, %.0f s left",
                      bytesPerSecond / 1000.0, std::ceil(static_cast<double>(left) / bytesPerSecond));
    }
    return text;
}

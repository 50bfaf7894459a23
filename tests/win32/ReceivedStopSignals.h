#pragma once

#include <mutex>
#include <vector>

#include "ui/console/StopSignalPolicy.h"

// The stop signals a watcher delivered, from whichever thread delivered them.
struct ReceivedStopSignals {
    std::mutex mutex;
    std::vector<StopSignal> signals;

    void Add(StopSignal signal) {
        std::lock_guard lock(mutex);
        signals.push_back(signal);
    }
    std::vector<StopSignal> All() {
        std::lock_guard lock(mutex);
        return signals;
    }
};

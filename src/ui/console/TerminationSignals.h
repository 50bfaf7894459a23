#pragma once

#include <atomic>
#include <functional>
#include <thread>

// SIGINT and SIGTERM end the run through the close steps, not by killing the process. They are
// blocked in every thread (BlockTerminationSignals runs before any thread starts, so all
// threads inherit the mask) and a thread of their own takes them in sigwait.
void BlockTerminationSignals();

class TerminationSignalWatcher {
public:
    // `received` is called on the watcher's thread for every signal that arrives.
    explicit TerminationSignalWatcher(std::function<void(int signal)> received);
    ~TerminationSignalWatcher();
    TerminationSignalWatcher(const TerminationSignalWatcher&) = delete;
    TerminationSignalWatcher& operator=(const TerminationSignalWatcher&) = delete;

private:
    std::atomic<bool> stopping_{false};
    std::thread watcher_;
};

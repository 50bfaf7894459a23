#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "ui/console/StopSignalPolicy.h"

// Stop signals reach the run as calls, never by killing the process: the run decides (see
// StopSignalPolicy) and ends through the close steps. On POSIX, SIGINT, SIGTERM and SIGHUP are
// blocked in every thread (BlockTerminationSignals runs before any thread starts, so all threads
// inherit the mask) and a thread of their own takes them in sigwait; SIGPIPE is ignored, so a
// closed output never ends a run. On Windows the console's control events come on threads of
// the system's.
void BlockTerminationSignals();

class TerminationSignalWatcher {
public:
    // `received` is called for every stop signal that arrives, one at a time, never on the
    // user-interface thread.
    explicit TerminationSignalWatcher(std::function<void(StopSignal)> received);
    ~TerminationSignalWatcher();
    TerminationSignalWatcher(const TerminationSignalWatcher&) = delete;
    TerminationSignalWatcher& operator=(const TerminationSignalWatcher&) = delete;

    // The run has been closed and its last words written. Windows ends the process as soon as the
    // handler of a close, logoff or shutdown event returns: the handler waits for this (within
    // the system's grace).
    void CloseStepsDone();

private:
    std::atomic<bool> stopping_{false};
    std::thread watcher_;
};

#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "ui/console/StopSignalPolicy.h"

// Stop signals reach the run as calls, never by killing or stopping the process: the run decides
// (see StopSignalPolicy) and ends through the close steps. On POSIX, SIGINT, SIGQUIT, SIGTERM,
// SIGHUP and SIGTSTP are blocked in every thread (BlockTerminationSignals runs before any thread
// starts, so all threads inherit the mask) and a thread of their own takes them in sigwait;
// SIGPIPE is ignored, so a closed output never ends a run, and so are SIGTTIN and SIGTTOU, so a
// background job is never stopped by the terminal (its writes go through, its reads fail). The
// process keeps these to its end: it runs no other program, and a mask or disposition dies with
// the process that set it, so the shell's own are never touched.
// On Windows the console's control events come on threads of the system's. A program that uses
// user32 (setupapi loads it) gets no logoff or shutdown event there: the session's end reaches a
// hidden top-level window instead (message-only windows get no broadcast), served on the
// watcher's thread.
void BlockTerminationSignals();

// Stops the whole process as Ctrl-Z stops any job, until it is continued; called on the thread
// that took the SIGTSTP. Windows has no job control and never delivers StopSignal::TerminalStop.
#ifdef _WIN32
inline void SuspendAsAnyJob() {}
#else
void SuspendAsAnyJob();
#endif

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

    // Windows asks before a logoff or shutdown: while `ecuBeingChanged` says so, the answer is no,
    // with the program's reason for the system to show. Without it the session may always end.
#ifdef _WIN32
    void HoldSessionEndWhile(std::function<bool()> ecuBeingChanged);
#else
    void HoldSessionEndWhile(const std::function<bool()>&) {}
#endif

private:
    std::atomic<bool> stopping_{false};
    std::thread watcher_;
};

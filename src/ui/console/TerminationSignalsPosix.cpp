#include <pthread.h>
#include <signal.h>

#include "ui/console/TerminationSignals.h"

namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP}) sigaddset(&set, signal);
    return set;
}

StopSignal StopSignalOf(int signal) {
    switch (signal) {
    case SIGINT: return StopSignal::Interrupt;
    case SIGQUIT: return StopSignal::Quit;
    case SIGHUP: return StopSignal::HangUp;
    case SIGTSTP: return StopSignal::TerminalStop;
    default: return StopSignal::Terminate;
    }
}

}  // namespace

void BlockTerminationSignals() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    for (const int signal : {SIGPIPE, SIGTTIN, SIGTTOU}) ::signal(signal, SIG_IGN);
}

// SIGTSTP keeps its default action throughout (only its mask changes). Sent to this thread alone
// and then unblocked here, it is delivered before pthread_sigmask returns and the kernel stops
// every thread, exactly as for a job without a handler (and discards it, as then, when no shell
// is left to continue the process). Once continued, the thread blocks it again.
void SuspendAsAnyJob() {
    sigset_t suspend;
    sigemptyset(&suspend);
    sigaddset(&suspend, SIGTSTP);
    sigset_t before;
    pthread_kill(pthread_self(), SIGTSTP);
    pthread_sigmask(SIG_UNBLOCK, &suspend, &before);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

TerminationSignalWatcher::TerminationSignalWatcher(std::function<void(StopSignal)> received)
    : watcher_([this, received = std::move(received)] {
          const sigset_t set = StopSet();
          for (;;) {
              int signal = 0;
              if (sigwait(&set, &signal) != 0) return;
              if (stopping_) return;
              received(StopSignalOf(signal));
          }
      }) {}

// The watcher sleeps in sigwait; a signal sent to that thread alone is what wakes it.
TerminationSignalWatcher::~TerminationSignalWatcher() {
    stopping_ = true;
    // NOLINTNEXTLINE(bugprone-bad-signal-to-kill-thread): the watcher takes it in sigwait and returns
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
}

// The process ends when main returns; nothing waits for it.
void TerminationSignalWatcher::CloseStepsDone() {}

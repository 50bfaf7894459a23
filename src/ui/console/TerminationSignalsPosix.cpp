#include <pthread.h>
#include <signal.h>

#include "ui/console/TerminationSignals.h"

namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    return set;
}

StopSignal StopSignalOf(int signal) {
    switch (signal) {
    case SIGINT: return StopSignal::Interrupt;
    case SIGHUP: return StopSignal::HangUp;
    default: return StopSignal::Terminate;
    }
}

}  // namespace

void BlockTerminationSignals() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signal(SIGPIPE, SIG_IGN);
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

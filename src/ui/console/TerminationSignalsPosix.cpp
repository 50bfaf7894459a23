#include "ui/console/TerminationSignals.h"

#include <pthread.h>
#include <signal.h>

namespace {

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

void BlockTerminationSignals() {
    const sigset_t set = TerminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignalWatcher::TerminationSignalWatcher(std::function<void(int)> received)
    : watcher_([this, received = std::move(received)] {
          const sigset_t set = TerminationSet();
          for (;;) {
              int signal = 0;
              if (sigwait(&set, &signal) != 0) return;
              if (stopping_) return;
              received(signal);
          }
      }) {}

// The watcher sleeps in sigwait; a signal sent to that thread alone is what wakes it.
TerminationSignalWatcher::~TerminationSignalWatcher() {
    stopping_ = true;
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
}

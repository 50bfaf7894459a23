// Ctrl-C, Ctrl-Break and closing the console window end the run through the close steps. The
// system calls the handler on a thread of its own; nothing needs blocking beforehand.
#include <windows.h>

#include <csignal>
#include <mutex>

#include "ui/console/TerminationSignals.h"

namespace {

std::mutex handlerMutex;
std::function<void(int)> onSignal;  // the one watcher's callback

BOOL WINAPI ConsoleControl(DWORD event) {
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    std::lock_guard lock(handlerMutex);
    if (!onSignal) return FALSE;
    onSignal(signal);
    return TRUE;
}

} // namespace

void BlockTerminationSignals() {}

TerminationSignalWatcher::TerminationSignalWatcher(std::function<void(int signal)> received) {
    {
        std::lock_guard lock(handlerMutex);
        onSignal = std::move(received);
    }
    SetConsoleCtrlHandler(ConsoleControl, TRUE);
}

TerminationSignalWatcher::~TerminationSignalWatcher() {
    SetConsoleCtrlHandler(ConsoleControl, FALSE);
    std::lock_guard lock(handlerMutex);
    onSignal = nullptr;
}

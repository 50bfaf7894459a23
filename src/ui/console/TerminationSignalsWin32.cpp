// Ctrl-C and Ctrl-Break are interrupts; closing the console window, logging off and shutting down
// terminate. The system calls the handler on a thread of its own and ends the process once the
// handler of those three returns, so that handler waits for the close steps.
#include <windows.h>

#include <mutex>

#include "ui/console/ConsoleControlWin32.h"
#include "ui/console/TerminationSignals.h"

namespace {

// Windows allows a handler about 5 s before it ends the process anyway.
constexpr DWORD kCloseStepsWaitMs = 3500;

std::mutex handlerMutex;
std::function<void(StopSignal)> onSignal;  // the one watcher's callback
// Set once the close steps are done; never closed, as a handler may still wait on it while the
// process ends.
HANDLE closeStepsDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);

bool Deliver(StopSignal signal) {
    std::lock_guard lock(handlerMutex);
    if (!onSignal) return false;
    onSignal(signal);
    return true;
}

}  // namespace

BOOL WINAPI HandleConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: return Deliver(StopSignal::Interrupt);
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (!Deliver(StopSignal::Terminate)) return FALSE;
        WaitForSingleObject(closeStepsDone, kCloseStepsWaitMs);
        return TRUE;
    default: return FALSE;
    }
}

void BlockTerminationSignals() {}

TerminationSignalWatcher::TerminationSignalWatcher(std::function<void(StopSignal)> received) {
    {
        std::lock_guard lock(handlerMutex);
        onSignal = std::move(received);
    }
    ResetEvent(closeStepsDone);
    SetConsoleCtrlHandler(HandleConsoleControl, TRUE);
}

TerminationSignalWatcher::~TerminationSignalWatcher() {
    SetConsoleCtrlHandler(HandleConsoleControl, FALSE);
    CloseStepsDone();
    std::lock_guard lock(handlerMutex);
    onSignal = nullptr;
}

void TerminationSignalWatcher::CloseStepsDone() { SetEvent(closeStepsDone); }

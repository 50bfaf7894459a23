// Ctrl-C and Ctrl-Break are interrupts; closing the console window, logging off and shutting down
// terminate. The system calls the handler on a thread of its own and ends the process once the
// handler of those three returns, so that handler waits for the close steps. The logoff and
// shutdown events only reach a program that does not use user32; this one does, so a hidden window
// takes the session's end as well, and holds it up while the ECU is being changed.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "ui/console/ConsoleControlWin32.h"
#include "ui/console/SessionWindowWin32.h"
#include "ui/console/TerminationSignals.h"
#include "ui/win32/SessionEndBlock.h"

namespace {

// Windows allows a handler about 5 s before it ends the process anyway.
constexpr DWORD kCloseStepsWaitMs = 3500;

std::mutex handlerMutex;
std::function<void(StopSignal)> onSignal;  // the one watcher's callback
std::function<bool()> beingChanged;        // whether the session's end is held up now
// Set once the close steps are done; never closed, as a handler may still wait on it while the
// process ends.
HANDLE closeStepsDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);

bool Deliver(StopSignal signal) {
    std::lock_guard lock(handlerMutex);
    if (!onSignal) return false;
    onSignal(signal);
    return true;
}

bool SessionEndHeldUp() {
    std::lock_guard lock(handlerMutex);
    return beingChanged && beingChanged();
}

// A termination that Windows follows with the end of the process once the caller returns.
BOOL TerminateAndWait() {
    if (!Deliver(StopSignal::Terminate)) return FALSE;
    WaitForSingleObject(closeStepsDone, kCloseStepsWaitMs);
    return TRUE;
}

// Runs on the watcher's thread, which owns the window.
LRESULT CALLBACK SessionWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static SessionEndBlock block;  // the one window's
    switch (message) {
    case WM_QUERYENDSESSION: return block.Update(window, SessionEndHeldUp()) ? FALSE : TRUE;
    case WM_ENDSESSION:
        block.Update(window, false);
        if (wParam) TerminateAndWait();
        return 0;
    case WM_DESTROY:
        block.Update(window, false);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateSessionWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SessionWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassW(&windowClass);  // already there for a later watcher of the same process
    return CreateWindowExW(0, kSessionWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

std::atomic<HWND> sessionWindow{nullptr};  // the window's thread makes it, the watcher's owner ends it

}  // namespace

BOOL WINAPI HandleConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: return Deliver(StopSignal::Interrupt);
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: return TerminateAndWait();
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
    // The window is there when the constructor returns: a session ending from then on finds it.
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watcher_ = std::thread([created] {
        sessionWindow = CreateSessionWindow();
        SetEvent(created);
        if (!sessionWindow.load()) return;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    });
    WaitForSingleObject(created, INFINITE);
    CloseHandle(created);
}

TerminationSignalWatcher::~TerminationSignalWatcher() {
    SetConsoleCtrlHandler(HandleConsoleControl, FALSE);
    CloseStepsDone();
    // The window is destroyed on its own thread, whose loop then ends.
    if (const HWND window = sessionWindow.load()) PostMessageW(window, WM_CLOSE, 0, 0);
    watcher_.join();
    sessionWindow = nullptr;
    std::lock_guard lock(handlerMutex);
    onSignal = nullptr;
    beingChanged = nullptr;
}

void TerminationSignalWatcher::CloseStepsDone() { SetEvent(closeStepsDone); }

void TerminationSignalWatcher::HoldSessionEndWhile(std::function<bool()> ecuBeingChanged) {
    std::lock_guard lock(handlerMutex);
    beingChanged = std::move(ecuBeingChanged);
}

// The Windows dialog program's window and the end of the user's session: a logoff or shutdown is
// held up while the ECU is being changed, with the program's reason, and a session that ends
// anyway ends the run through the close steps before the window returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "FakeSerialPort.h"
#include "app/CFlashDlg.h"
#include "link/ConnectionSequence.h"
#include "link/LineWatchPort.h"
#include "platform/PortEnumerator.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32SystemInfo.h"
#include "ui/win32/MainDialogWindow.h"
#include "ui/win32/SessionEndBlock.h"
#include "ui/win32/Win32DialogHost.h"

namespace {

using namespace std::chrono_literals;

struct OnePort : PortEnumerator {
    std::vector<int32_t> UsablePorts() override { return {1}; }
};

// The dialog once it is shown: the first window activated on this thread.
HWND shownDialog = nullptr;
HANDLE dialogShown = nullptr;

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && !shownDialog) {
        shownDialog = reinterpret_cast<HWND>(wParam);
        SetEvent(dialogShown);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The reason the system holds for `window`; nullopt where it keeps none (Wine has no
// ShutdownBlockReasonQuery).
using QueryReason = BOOL(WINAPI*)(HWND, LPWSTR, DWORD*);
QueryReason ReasonQuery() {
    return reinterpret_cast<QueryReason>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ShutdownBlockReasonQuery")));
}

TEST(MainDialogWindow, TheSessionEndIsHeldUpWhileTheEcuIsBeingChangedAndEndsTheRunThroughTheCloseSteps) {
    ConnectState() = 0;
    CandidateIndex() = 0;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    Win32DialogHost host(instance);
    Win32Clock clock;
    FakeSerialPort device;
    HANDLE huntWrote = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    device.OnWrite([&](const Bytes&) { SetEvent(huntWrote); });
    LineWatchPort port(device);
    OnePort ports;
    Win32SystemInfo system;
    // The dialog's buffers are far too large for the stack.
    const auto dlg = std::make_unique<CFlashDlg>(PlatformServices{host, clock, port, ports, system});
    MainDialogWindow window(*dlg, host, port, instance);

    dialogShown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HHOOK hook = SetWindowsHookExW(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    LRESULT whileChanging = -1, afterChange = -1;
    std::wstring reasonWhileChanging, reasonAfter;
    bool systemKeepsReasons = false, wasOpen = false;
    std::chrono::steady_clock::duration ending{};
    // The session manager, from another thread as from another process.
    std::thread session([&] {
        if (WaitForSingleObject(dialogShown, 20'000) != WAIT_OBJECT_0) return;
        if (WaitForSingleObject(huntWrote, 20'000) != WAIT_OBJECT_0) return;  // the hunt has the port open
        const HWND dialog = shownDialog;
        const QueryReason query = ReasonQuery();
        systemKeepsReasons = query != nullptr;
        const auto reason = [&] {
            wchar_t text[MAX_STR_BLOCKREASON] = {};
            DWORD size = MAX_STR_BLOCKREASON;
            return query && query(dialog, text, &size) ? std::wstring(text) : std::wstring();
        };
        dlg->programmingStarted = 1;
        whileChanging = SendMessageW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        reasonWhileChanging = reason();
        dlg->programmingStarted = 0;
        afterChange = SendMessageW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        reasonAfter = reason();

        // Ended anyway while the ECU is being changed: the close steps, and no box to hold the end up.
        dlg->programmingStarted = 1;
        wasOpen = device.IsOpen();
        const auto start = std::chrono::steady_clock::now();
        SendMessageW(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        ending = std::chrono::steady_clock::now() - start;
    });
    window.RunModal();
    session.join();
    UnhookWindowsHookEx(hook);
    CloseHandle(dialogShown);
    CloseHandle(huntWrote);

    ASSERT_NE(shownDialog, nullptr);
    EXPECT_EQ(whileChanging, FALSE);
    EXPECT_EQ(afterChange, TRUE);
    if (systemKeepsReasons) {
        EXPECT_EQ(reasonWhileChanging, kSessionEndBlockReason);
        EXPECT_TRUE(reasonAfter.empty());
    } else {
        RecordProperty("note", "the system keeps no shutdown block reasons to read back");
    }
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(device.IsOpen()) << "the close steps closed the port";
    EXPECT_FALSE(dlg->commThread.Exists());
    EXPECT_LT(ending, 5s) << "within the system's grace";
    EXPECT_FALSE(IsWindow(shownDialog));
    ConnectState() = 0;
    CandidateIndex() = 0;
}

}  // namespace

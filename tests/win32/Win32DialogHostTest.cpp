#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "FlashUpdaterVersion.h"
#include "app/ControlIds.h"
#include "ui/win32/Win32DialogHost.h"
#include "ui/win32/resource.h"

namespace {

using namespace std::chrono_literals;

std::atomic<int> timerTicks{0};

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == Win32DialogHost::kCallMessage) {
        Win32DialogHost::ServeCall(lParam);
        return TRUE;
    }
    if (message == WM_TIMER) ++timerTicks;
    return message == WM_INITDIALOG;
}

// The main dialog's template, modeless, on this thread: the test thread is the user-interface thread.
struct DialogOnThisThread : testing::Test {
    void SetUp() override {
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FLASH_DIALOG), nullptr,
                                    TestDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        host.Attach(dialog);
        timerTicks = 0;
    }
    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
    }
    std::string Text(int id) const {
        char text[256] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    // Runs the message loop for `duration`.
    static void PumpFor(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
    }

    Win32DialogHost host{GetModuleHandleW(nullptr)};
    HWND dialog = nullptr;
};

TEST_F(DialogOnThisThread, CallsFromAnotherThreadAreServedWhileWaitingButTimersAreNot) {
    host.SetTimer(TimerId::Scheduler, 20);
    std::atomic<bool> done{false};
    DWORD callerSawText = 0;
    std::thread receiveThread([&] {
        host.SetItemText(ControlId::StatusLine, "Reading ECU Data...");
        host.AppendFieldText(ControlId::DateValue, "Mar 14 2010");
        // The calls above returned, so the window already shows their result.
        callerSawText = static_cast<DWORD>(Text(ControlId::StatusLine) == "Reading ECU Data...");
        host.KillTimer(TimerId::Scheduler);  // a timer of the window, from another thread
        std::this_thread::sleep_for(100ms);
        done = true;
        host.WakeWaitingUiThread();
    });
    host.WaitServingCalls([&] { return done.load(); });
    receiveThread.join();
    EXPECT_EQ(callerSawText, 1u);
    EXPECT_EQ(Text(ControlId::DateValue), "Mar 14 2010");
    EXPECT_EQ(timerTicks, 0) << "no tick runs while the user-interface thread waits";
    PumpFor(100ms);
    EXPECT_EQ(timerTicks, 0) << "the timer was killed by the other thread's call";

    host.SetTimer(TimerId::Connection, 20);
    PumpFor(200ms);
    EXPECT_GT(timerTicks, 0);
}

TEST_F(DialogOnThisThread, ACloseThatWaitsReturnsWhenTheThreadEndsWithoutACall) {
    std::atomic<bool> ended{false};
    std::thread receiveThread([&] {
        std::this_thread::sleep_for(50ms);
        ended = true;
        host.WakeWaitingUiThread();
    });
    const auto start = std::chrono::steady_clock::now();
    host.WaitServingCalls([&] { return ended.load(); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    receiveThread.join();
}

TEST_F(DialogOnThisThread, TheSystemMenuEntryAndTheAboutBoxShowTheProgramsTexts) {
    host.AddSystemMenuEntry(kAboutCommandId, "&About Flash...");
    HMENU menu = GetSystemMenu(dialog, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    char entry[64] = {};
    GetMenuStringA(menu, kAboutCommandId, entry, sizeof entry, MF_BYCOMMAND);
    EXPECT_STREQ(entry, "&About Flash...");
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(kAboutCommandId)) << "appended last";
    EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);

    // The operator reads the box and presses OK.
    std::string shown, caption, version;
    std::thread operatorAtTheBox([&] {
        HWND box = nullptr;
        for (int tries = 0; !box && tries < 3000; ++tries) {  // a fresh Wine desktop can be slow to start
            box = FindWindowA(nullptr, "About...");
            if (box && !IsWindowVisible(box)) box = nullptr;  // shown once its initialisation is done
            if (!box) std::this_thread::sleep_for(10ms);
        }
        if (!box) return;
        char text[128] = {};
        GetWindowTextA(GetWindow(box, GW_CHILD), text, sizeof text);
        shown = text;
        GetDlgItemTextA(box, IDC_ABOUT_VERSION, text, sizeof text);
        version = text;
        GetWindowTextA(box, text, sizeof text);
        caption = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    host.RunAboutBox("Ombrix Flash Update [K410/K411/K412/M530/P640] V1.0");
    operatorAtTheBox.join();
    EXPECT_EQ(caption, "About...");
    EXPECT_EQ(shown, "Ombrix Flash Update [K410/K411/K412/M530/P640] V1.0");
    EXPECT_EQ(version, "Version " FLASH_UPDATER_VERSION) << "a further line below the title";
}

}  // namespace

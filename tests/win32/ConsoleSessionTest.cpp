// The console program's hidden window at the end of the user's session, as the system sends to
// it: a logoff or shutdown is held up while the ECU is being changed, with the program's reason,
// and a session that ends anyway terminates the run and returns only once the close steps are
// done (Windows ends the process then), or after a wait that stays within the system's grace.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ReceivedStopSignals.h"
#include "ui/console/SessionWindowWin32.h"
#include "ui/console/TerminationSignals.h"

namespace {

using namespace std::chrono_literals;

TEST(ConsoleSession, TheEndIsHeldUpWhileTheEcuIsBeingChangedAndWhenItComesTheCloseStepsAreWaitedFor) {
    ReceivedStopSignals received;
    std::atomic<bool> changing{false};
    TerminationSignalWatcher watcher([&](StopSignal signal) { received.Add(signal); });
    const HWND window = FindWindowW(kSessionWindowClass, nullptr);
    ASSERT_NE(window, nullptr) << "there when the watcher is";
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << "nothing to hold it up yet";

    watcher.HoldSessionEndWhile([&] { return changing.load(); });
    struct Case {
        bool changing;
        LPARAM why;
        LRESULT answer;
    };
    for (const Case& c : {Case{true, ENDSESSION_LOGOFF, FALSE}, Case{true, 0, FALSE}, Case{false, 0, TRUE},
                          Case{false, ENDSESSION_LOGOFF, TRUE}}) {
        changing = c.changing;
        EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, c.why), c.answer) << c.changing << ' ' << c.why;
    }
    // Another program said no: the session goes on, and so does the run.
    SendMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(received.All().empty());

    changing = true;
    const auto start = std::chrono::steady_clock::now();
    std::thread closeSteps([&] {
        std::this_thread::sleep_for(300ms);
        watcher.CloseStepsDone();
    });
    SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    const auto waited = std::chrono::steady_clock::now() - start;
    closeSteps.join();
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 3s);
    EXPECT_EQ(received.All(), std::vector<StopSignal>{StopSignal::Terminate});
}

TEST(ConsoleSession, CloseStepsThatNeverEndAreWaitedForWithinTheGraceAndTheWindowGoesWithTheWatcher) {
    {
        TerminationSignalWatcher watcher([](StopSignal) {});
        const HWND window = FindWindowW(kSessionWindowClass, nullptr);
        ASSERT_NE(window, nullptr);
        const auto start = std::chrono::steady_clock::now();
        SendMessageW(window, WM_ENDSESSION, TRUE, 0);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, 3s);
        EXPECT_LT(waited, 4500ms);
    }
    EXPECT_EQ(FindWindowW(kSessionWindowClass, nullptr), nullptr);
}

}  // namespace

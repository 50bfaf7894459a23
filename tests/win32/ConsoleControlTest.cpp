// The console program's control handler as Windows calls it: Ctrl-C and Ctrl-Break are
// interrupts and return at once; closing the console, logging off and shutting down terminate,
// and their handler returns only once the close steps are done (Windows ends the process then),
// or after a wait that stays within the system's grace.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "ReceivedStopSignals.h"
#include "ui/console/ConsoleControlWin32.h"
#include "ui/console/TerminationSignals.h"

namespace {

using namespace std::chrono_literals;

TEST(ConsoleControl, CtrlCAndCtrlBreakAreInterruptsAndReturnAtOnce) {
    ReceivedStopSignals received;
    TerminationSignalWatcher watcher([&](StopSignal signal) { received.Add(signal); });
    EXPECT_TRUE(HandleConsoleControl(CTRL_C_EVENT));
    EXPECT_TRUE(HandleConsoleControl(CTRL_BREAK_EVENT));
    using enum StopSignal;
    EXPECT_EQ(received.All(), (std::vector<StopSignal>{Interrupt, Interrupt}));
}

TEST(ConsoleControl, CloseLogoffAndShutdownTerminateAndWaitForTheCloseSteps) {
    ReceivedStopSignals received;
    for (const DWORD event : {CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT}) {
        TerminationSignalWatcher closing([&](StopSignal signal) { received.Add(signal); });
        const auto start = std::chrono::steady_clock::now();
        std::thread closeSteps([&] {
            std::this_thread::sleep_for(300ms);
            closing.CloseStepsDone();
        });
        EXPECT_TRUE(HandleConsoleControl(event));
        const auto waited = std::chrono::steady_clock::now() - start;
        closeSteps.join();
        EXPECT_GE(waited, 290ms) << event;
        EXPECT_LT(waited, 3s) << event;
    }
    using enum StopSignal;
    EXPECT_EQ(received.All(), (std::vector<StopSignal>{Terminate, Terminate, Terminate}));
}

TEST(ConsoleControl, CloseStepsThatNeverEndAreWaitedForWithinTheGrace) {
    TerminationSignalWatcher watcher([](StopSignal) {});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(HandleConsoleControl(CTRL_CLOSE_EVENT));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 3s);
    EXPECT_LT(waited, 4500ms);
}

TEST(ConsoleControl, WithoutAWatcherTheSystemsHandlingStays) {
    EXPECT_FALSE(HandleConsoleControl(CTRL_C_EVENT));
    EXPECT_FALSE(HandleConsoleControl(CTRL_CLOSE_EVENT));
}

}  // namespace

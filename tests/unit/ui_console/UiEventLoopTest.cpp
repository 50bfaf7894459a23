// The console program's user-interface thread: timers at their periods, calls from other threads,
// the wait that serves only calls, and sleeping (not polling) in between.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ui/console/UiEventLoop.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

TEST(UiEventLoop, TimersFireAtTheirPeriodsInTheOrderTheyFallDue) {
    UiEventLoop loop;
    std::vector<int> fired;
    loop.SetTimerHandler([&](int id) { fired.push_back(id); });
    const auto start = std::chrono::steady_clock::now();
    loop.SetTimer(7, 30);
    loop.SetTimer(8, 70);
    loop.RunUntil([&] { return fired.size() == 6; });
    const auto elapsed = std::chrono::steady_clock::now() - start;

    // Due at 30, 60, 70, 90, 120, 140 ms.
    EXPECT_THAT(fired, ElementsAre(7, 7, 8, 7, 7, 8));
    EXPECT_GE(elapsed, 140ms);
    EXPECT_LT(elapsed, 1500ms);  // generous: a loaded machine, a sanitizer
}

TEST(UiEventLoop, AKilledTimerStopsAndARearmedOneCountsItsPeriodFromTheRearming) {
    UiEventLoop loop;
    std::vector<int> fired;
    loop.SetTimerHandler([&](int id) {
        fired.push_back(id);
        if (id == 1 || id == 3) loop.KillTimer(id);
        if (id == 2 && fired.size() == 2) loop.SetTimer(3, 10);
    });
    loop.SetTimer(1, 5);
    loop.SetTimer(2, 40);
    loop.SetTimer(3, 1000);  // re-armed from the handler long before it would fire
    loop.RunUntil([&] { return fired.size() == 4; });
    // 1 at 5 ms; 2 at 40 ms, re-arming 3 for 50 ms; 2 again at 80 ms.
    EXPECT_THAT(fired, ElementsAre(1, 2, 3, 2));
}

TEST(UiEventLoop, ACallFromAnotherThreadRunsOnTheLoopThreadAndItsCallerWaitsForIt) {
    UiEventLoop loop;
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread other([&] {
        loop.RunOnUiThread([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
        loop.Wake();
    });
    loop.RunUntil([&] { return returned.load(); });
    other.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(UiEventLoop, ServingCallsRunsNoTimerAndNoPostedTaskAndReturnsWhenFinished) {
    UiEventLoop loop;
    int ticks = 0, tasks = 0, calls = 0;
    loop.SetTimerHandler([&](int) { ++ticks; });
    loop.SetTimer(1, 1);
    loop.Post([&] { ++tasks; });
    std::atomic<bool> finished{false};
    std::thread other([&] {
        for (int i = 0; i < 3; ++i) loop.RunOnUiThread([&] { ++calls; });
        std::this_thread::sleep_for(20ms);  // timers fall due meanwhile
        finished = true;
        loop.Wake();
    });
    loop.ServeCallsUntil([&] { return finished.load(); });
    other.join();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(tasks, 0);

    loop.RunUntil([&] { return tasks == 1 && ticks > 0; });
}

TEST(UiEventLoop, PostedTasksRunInOrderOnALaterTurn) {
    UiEventLoop loop;
    std::vector<int> order;
    loop.Post([&] {
        order.push_back(1);
        loop.Post([&] { order.push_back(3); });
    });
    loop.Post([&] { order.push_back(2); });
    loop.RunUntil([&] { return order.size() == 3; });
    EXPECT_THAT(order, ElementsAre(1, 2, 3));
}

TEST(UiEventLoop, ALoopEnteredFromAnEventKeepsTheTimersRunning) {
    UiEventLoop loop;
    int ticks = 0;
    bool inner = false;
    loop.SetTimerHandler([&](int) { ++ticks; });
    loop.SetTimer(1, 5);
    loop.Post([&] {
        // As a prompt does while it waits for the operator.
        loop.RunUntil([&] { return ticks >= 3; });
        inner = true;
    });
    loop.RunUntil([&] { return inner; });
    EXPECT_GE(ticks, 3);
}

TEST(UiEventLoop, SleepsBetweenEventsInsteadOfPolling) {
    UiEventLoop loop;
    int ticks = 0;
    loop.SetTimerHandler([&](int) { ++ticks; });
    loop.SetTimer(1, 50);
    loop.RunUntil([&] { return ticks == 4; });
    // One wake per tick, a few spare for early returns of the condition variable.
    EXPECT_LE(loop.Wakeups(), 8u);

    UiEventLoop idle;
    std::atomic<bool> done{false};
    std::thread waker([&] {
        std::this_thread::sleep_for(100ms);
        done = true;
        idle.Wake();
    });
    idle.RunUntil([&] { return done.load(); });
    waker.join();
    EXPECT_LE(idle.Wakeups(), 2u);
}

TEST(UiEventLoop, AWakeDuringTheTestOfTheConditionIsNotLost) {
    UiEventLoop loop;
    std::atomic<bool> done{false};
    std::thread other;
    int tests = 0;
    loop.RunUntil([&] {
        // The condition turns true on another thread right after it was found false.
        if (++tests == 1) {
            other = std::thread([&] {
                done = true;
                loop.Wake();
            });
            other.join();
            return false;
        }
        return done.load();
    });
    EXPECT_EQ(tests, 2);
}

}  // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/posix/PosixClock.h"

namespace {

using namespace std::chrono_literals;

TEST(PosixClock, SleepsTheTimeUnlessTheWaitsAreCut) {
    PosixClock clock;
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(clock.Sleep(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);

    // A sleeper is woken by the cut, and later sleeps end at once until the waits are allowed.
    start = std::chrono::steady_clock::now();
    std::thread cutter([&] {
        std::this_thread::sleep_for(20ms);
        clock.CutWaits();
    });
    EXPECT_FALSE(clock.Sleep(60'000));
    cutter.join();
    EXPECT_FALSE(clock.Sleep(60'000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    clock.AllowWaits();
    EXPECT_TRUE(clock.Sleep(1));
}

TEST(PosixClock, LocalTimeIsTodays) {
    PosixClock clock;
    std::tm now{};
    ASSERT_TRUE(clock.LocalTime(now));
    EXPECT_GE(now.tm_year + 1900, 2024);
    EXPECT_GE(now.tm_mday, 1);
}

}  // namespace

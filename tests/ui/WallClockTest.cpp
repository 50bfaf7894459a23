#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "ui/qt/WallClock.h"

namespace {

using namespace std::chrono_literals;

// The response handler's longest wait is 3.3 s; a stopping link must not sit it out.
TEST(WallClock, CuttingTheWaitsEndsASleepAtOnceUntilWaitsAreAllowedAgain) {
    WallClock clock;
    EXPECT_TRUE(clock.Sleep(1));

    const auto start = std::chrono::steady_clock::now();
    auto sleeper = std::async(std::launch::async, [&] { return clock.Sleep(60'000); });
    ASSERT_EQ(sleeper.wait_for(50ms), std::future_status::timeout);
    clock.CutWaits();
    EXPECT_FALSE(sleeper.get());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    EXPECT_FALSE(clock.Sleep(60'000)) << "a later wait ends at once too";
    clock.AllowWaits();
    EXPECT_TRUE(clock.Sleep(1));

    std::tm now{};
    EXPECT_TRUE(clock.LocalTime(now));
    EXPECT_GE(now.tm_year, 120);
}

} // namespace

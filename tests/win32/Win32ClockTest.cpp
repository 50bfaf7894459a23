#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <future>

#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32SystemInfo.h"

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

TEST(Win32ClockTest, SleepsItsTimeUntilTheWaitsAreCut) {
    Win32Clock clock;
    auto start = Steady::now();
    EXPECT_TRUE(clock.Sleep(50));
    EXPECT_GE(Steady::now() - start, 45ms);

    auto sleeping = std::async(std::launch::async, [&] { return clock.Sleep(60'000); });
    ASSERT_EQ(sleeping.wait_for(100ms), std::future_status::timeout);
    start = Steady::now();
    clock.CutWaits();
    ASSERT_EQ(sleeping.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(sleeping.get());
    EXPECT_LT(Steady::now() - start, 1s);

    start = Steady::now();
    EXPECT_FALSE(clock.Sleep(60'000)) << "a sleep after the cut returns at once";
    EXPECT_LT(Steady::now() - start, 1s);

    clock.AllowWaits();
    EXPECT_TRUE(clock.Sleep(1));
}

TEST(Win32ClockTest, LocalTimeAndUserNameComeFromTheSystem) {
    std::tm now{};
    ASSERT_TRUE(Win32Clock().LocalTime(now));
    const std::time_t reference = std::time(nullptr);
    std::tm expected{};
    localtime_s(&expected, &reference);
    EXPECT_EQ(now.tm_year, expected.tm_year);
    EXPECT_EQ(now.tm_yday, expected.tm_yday);

    std::string user;
    ASSERT_TRUE(Win32SystemInfo().UserName(user));
    EXPECT_FALSE(user.empty());
    EXPECT_EQ(user.find('\0'), std::string::npos);
}

}  // namespace

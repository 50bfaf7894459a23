#include <gtest/gtest.h>

#include "ui/console/WriteRateMeter.h"

namespace {

using namespace std::chrono_literals;

TEST(WriteRateMeter, RateAndTimeLeftFromTheFirstReportOfTheArea) {
    WriteRateMeter meter;
    const WriteRateMeter::Time t0{};
    EXPECT_EQ(meter.Describe(t0, 192, 131072), "192 of 131072 bytes");
    // 3840 bytes in 2 s: 1.92 kB/s; 127040 bytes left take 66.2 s, shown rounded up.
    EXPECT_EQ(meter.Describe(t0 + 2s, 4032, 131072), "4032 of 131072 bytes, 1.9 kB/s, 67 s left");
    EXPECT_EQ(meter.Describe(t0 + 4s, 131072, 131072), "131072 of 131072 bytes, 32.7 kB/s, 0 s left");
}

TEST(WriteRateMeter, StartsAgainWhenTheAreaIsWrittenAnewOrRestarted) {
    WriteRateMeter meter;
    const WriteRateMeter::Time t0{};
    meter.Describe(t0, 192, 1920);
    meter.Describe(t0 + 1s, 1920, 1920);
    // A checksum mismatch: the area is written again from its first tag.
    EXPECT_EQ(meter.Describe(t0 + 2s, 192, 1920), "192 of 1920 bytes");
    EXPECT_EQ(meter.Describe(t0 + 3s, 384, 1920), "384 of 1920 bytes, 0.2 kB/s, 8 s left");
    meter.Restart();
    EXPECT_EQ(meter.Describe(t0 + 4s, 576, 1920), "576 of 1920 bytes");
}

}  // namespace

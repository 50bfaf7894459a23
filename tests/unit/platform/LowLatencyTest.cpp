#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <vector>

#include "platform/posix/LowLatency.h"

namespace {

TEST(LowLatencyTest, TheDriverIsAskedToHandOnBytesAtOnceKeepingItsOtherSettings) {
    std::vector<unsigned long> requests;
    int flagsSet = 0;
    const SerialDriverControl driver = [&](int, unsigned long request, void* settings) {
        requests.push_back(request);
        auto* s = static_cast<serial_struct*>(settings);
        if (request == TIOCGSERIAL) s->flags = ASYNC_SKIP_TEST;
        if (request == TIOCSSERIAL) flagsSet = s->flags;
        return 0;
    };
    AskForLowLatency(3, driver);
    EXPECT_EQ(requests, (std::vector<unsigned long>{TIOCGSERIAL, TIOCSSERIAL}));
    EXPECT_EQ(flagsSet, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
}

TEST(LowLatencyTest, ADeviceWithoutTheSettingIsLeftAlone) {
    int calls = 0;
    AskForLowLatency(3, [&](int, unsigned long, void*) {
        ++calls;
        return -1;  // ENOTTY from a pseudo-terminal
    });
    EXPECT_EQ(calls, 1);
}

}  // namespace

// When a front end gives up on its line: a device gone, or requests unanswered for the silence
// limit, and neither before the adapter has answered on the port as opened.
#include <gtest/gtest.h>

#include "FakeSerialPort.h"
#include "link/LineWatchPort.h"

namespace {

using namespace std::chrono_literals;

struct Watched {
    FakeSerialPort device;
    std::chrono::steady_clock::time_point now{};
    LineWatchPort port{device, [this] { return now; }};

    void Send() {
        const uint8_t request[] = {0x02, 0x90, 0x92};
        port.Write(request, sizeof request);
    }
    void Receive() {
        device.Deliver({0x02, 0x51, 0x53});
        uint8_t buffer[8];
        port.Read(buffer, sizeof buffer);
    }
};

TEST(LineWatchPort, APortThatNeverAnsweredIsNeverLost) {
    Watched line;
    ASSERT_TRUE(line.port.Open(1));
    line.Send();
    line.now += 1h;
    line.device.LoseLine();
    EXPECT_EQ(line.port.Loss(), LineLoss::None);
}

TEST(LineWatchPort, RequestsUnansweredForTheLimitSinceTheLastArrival) {
    struct Case {
        const char* name;
        std::chrono::milliseconds sentAfterArrival, checkedAfterArrival;
        LineLoss expected;
    };
    const Case cases[] = {
        {"just under the limit", 0ms, LineWatchPort::kSilenceLimit - 1ms, LineLoss::None},
        {"at the limit", 0ms, LineWatchPort::kSilenceLimit, LineLoss::Silent},
        // Counted from the first request after the answer, not from the answer.
        {"a late request", 20s, 20s + LineWatchPort::kSilenceLimit - 1ms, LineLoss::None},
        {"a late request, at the limit", 20s, 20s + LineWatchPort::kSilenceLimit, LineLoss::Silent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Watched line;
        ASSERT_TRUE(line.port.Open(1));
        line.Send();
        line.Receive();
        const auto arrival = line.now;
        line.now = arrival + c.sentAfterArrival;
        line.Send();
        line.Send();  // a resend does not restart the count
        line.now = arrival + c.checkedAfterArrival;
        EXPECT_EQ(line.port.Loss(), c.expected);
    }
}

TEST(LineWatchPort, AnAnswerEndsTheSilenceAndNoRequestsMeanNoSilence) {
    Watched line;
    ASSERT_TRUE(line.port.Open(1));
    line.Send();
    line.Receive();
    line.now += 1h;  // waiting for the operator: nothing goes out
    EXPECT_EQ(line.port.Loss(), LineLoss::None);
    line.Send();
    line.now += 25s;
    line.Receive();
    line.now += 25s;
    EXPECT_EQ(line.port.Loss(), LineLoss::None);
}

TEST(LineWatchPort, AGoneDeviceIsLostOnceItHadAnsweredUntilThePortOpensAgain) {
    Watched line;
    ASSERT_TRUE(line.port.Open(1));
    line.Send();
    line.Receive();
    line.device.LoseLine();
    EXPECT_EQ(line.port.Loss(), LineLoss::DeviceGone);
    line.port.Close();
    ASSERT_TRUE(line.port.Open(2));
    EXPECT_EQ(line.port.Loss(), LineLoss::None);
}

}  // namespace

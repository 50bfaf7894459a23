// The adapter on the line in virtual time: bytes take 10 bit times at the current speed, the
// speed switch and resets change the adapter's speed, other speeds garble, the ECU is silent
// while it boots and busy while it erases.
#include <gtest/gtest.h>

#include "SimHarness.h"
#include "sim/UartResample.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

TEST(SimulatorLine, AnswerBytesArriveAtTheLinesTime) {
    SimHarness host;
    host.SendRaw({0x02, 0x90, 0x92});
    // The request's last byte is in at 3 x 1042 us; the answer starts 10 ms later.
    const uint64_t answerStart = sim::ByteEndUs(2, 9600) + 10'000;
    EXPECT_EQ(host.sim.NextEventTime(), sim::ByteEndUs(0, 9600));
    EXPECT_TRUE(host.sim.TakeDue(answerStart + sim::ByteEndUs(0, 9600) - 1, 9600).empty());
    EXPECT_EQ(host.sim.TakeDue(answerStart + sim::ByteEndUs(0, 9600), 9600), Bytes{0x06});
    EXPECT_EQ(host.sim.NextEventTime(), answerStart + sim::ByteEndUs(1, 9600));
    EXPECT_EQ(host.sim.TakeDue(answerStart + sim::ByteEndUs(6, 9600), 9600),
              Bytes(kVersionAnswer.begin() + 1, kVersionAnswer.end()));
    EXPECT_EQ(host.sim.NextEventTime(), std::nullopt);
}

TEST(SimulatorLine, SpeedSwitchTakesEffectAfterItsTimeAndOnlyThen) {
    SimHarness host;
    host.SendRaw({0x02, 0x94, 0x96});
    EXPECT_TRUE(host.Drain().empty()) << "the switch has no answer";
    EXPECT_EQ(host.sim.AdapterBaud(), 38400u);

    // Still at 9600, the host's request arrives garbled and is not answered.
    host.SendRaw({0x02, 0x90, 0x92});
    EXPECT_TRUE(host.Drain().empty());
    EXPECT_EQ(host.sim.Report().garbledBytes, 3u);

    // After a pause longer than the inter-byte limit the adapter has dropped what the noise began.
    host.Wait(50);
    host.hostBaud = 38400;
    host.SendRaw({0x02, 0x90, 0x92});
    EXPECT_EQ(host.Drain(), kVersionAnswer);
}

TEST(SimulatorLine, SwitchIsNotYetEffectiveBeforeItsTime) {
    sim::SimOptions options;
    options.switchMs = 300;
    SimHarness host(options);
    host.SendRaw({0x02, 0x94, 0x96});
    // The time counts from the command's last byte, 3125 us after its first.
    host.Wait(303);
    EXPECT_EQ(host.sim.AdapterBaud(), 9600u);
    host.Wait(1);
    EXPECT_EQ(host.sim.AdapterBaud(), 38400u);
}

TEST(SimulatorLine, AnswerAtOtherSpeedThanTheHostsArrivesGarbled) {
    SimHarness host;
    host.SendRaw({0x02, 0x94, 0x96});
    host.Wait(400);
    host.hostBaud = 38400;
    host.SendRaw({0x02, 0x90, 0x92});
    host.hostBaud = 9600;  // the host went back too early
    const Bytes received = host.Drain();
    EXPECT_NE(received, kVersionAnswer);
    EXPECT_LT(received.size(), kVersionAnswer.size());
}

TEST(SimulatorLine, ResetAnswersThenIsSilentWhileBootingAndTheAdapterIsBackAt9600) {
    SimHarness host;
    host.EnterDiagnosticSession();
    ASSERT_EQ(host.Ask({0x11, 0x01}), Bytes{0x51});
    host.Drain();
    EXPECT_EQ(host.sim.AdapterBaud(), 9600u);
    host.hostBaud = 9600;
    EXPECT_EQ(host.Ask({0x21, 0xAC}), std::nullopt) << "booting";
    EXPECT_EQ(host.Ask({0x90}), (Bytes{0xD0, 0x00, '1', '2', '3'})) << "the adapter answers while the ECU boots";
    host.Wait(1500);
    EXPECT_EQ(host.Ask({0x21, 0xAC}), (Bytes{0x61, 0xAC, 0x00, 0x00, 0x00}));
    EXPECT_EQ(host.Ask({0x10, 0x84}), (Bytes{0x7F, 0x10, 0x33})) << "the reset locked the ECU";
    EXPECT_EQ(host.sim.Report().ignoredWhileBooting, 1u);
}

TEST(SimulatorLine, EraseAnswersPendingAtOnceThenTheEchoAfterTheEraseTime) {
    SimHarness host;
    host.EnterProgrammingSession();
    Bytes tag{0x3D, 0x02, 0x00, 0x00, 0xC0};
    tag.resize(5 + 192, 0x00);
    host.Send(tag);
    const uint64_t sent = host.nowUs;
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x3D, 0x78}));
    // A request while the ECU erases is refused as busy.
    EXPECT_EQ(host.Ask({0x21, 0x83, 0x01}), (Bytes{0x7F, 0x21, 0x21}));
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7D, 0x02, 0x00, 0x00}));
    const uint64_t tagOnLine = sim::ByteEndUs(tag.size() + 1, 38400);
    EXPECT_GE(host.nowUs, sent + tagOnLine + 1500'000);
    EXPECT_EQ(host.sim.Report().busyAnswers, 1u);
}

TEST(SimulatorLine, BadFramesAreDroppedAndTheNextFrameIsFound) {
    SimHarness host;
    host.SendRaw({0x02, 0x90, 0x93});  // wrong sum
    EXPECT_TRUE(host.Drain().empty());
    host.SendRaw({0x05, 0x21});  // cut short, then a pause
    host.Wait(50);
    host.SendRaw({0x02, 0x90, 0x92});
    EXPECT_EQ(host.Drain(), kVersionAnswer);
    EXPECT_EQ(host.sim.Report().badFrames, 2u);
}

TEST(SimulatorLine, HostAtASpeedTheAdapterCannotTalkIsNeverHeard) {
    SimHarness host;
    host.hostBaud = 0;
    host.SendRaw({0x02, 0x90, 0x92});
    EXPECT_TRUE(host.Drain().empty());
    EXPECT_EQ(host.sim.Report().garbledBytes, 3u);
}

TEST(SimulatorLine, PowerCycleResetsTheEcuAndTheAdapter) {
    SimHarness host;
    host.EnterDiagnosticSession();
    host.sim.PowerCycle(host.nowUs);
    EXPECT_EQ(host.sim.AdapterBaud(), 9600u);
    host.hostBaud = 9600;
    host.Wait(1500);
    EXPECT_EQ(host.Ask({0x21, 0x12}), (Bytes{0x7F, 0x21, 0x80}));
}

// What a real ECU does when the tester falls silent: after its P3max without a request it is
// back in the default session and locked, so the update cannot go on where it was.
TEST(SimulatorLine, TheSessionEndsOnlyAfterItsTimeWithoutARequest) {
    sim::SimOptions options;
    options.sessionTimeoutMs = 5000;
    SimHarness host(options);
    host.EnterProgrammingSession();
    for (int i = 0; i < 3; ++i) {  // a request now and then keeps the session
        host.Wait(4900);
        ASSERT_EQ(host.Ask({0x1A, 0x90}).value_or(Bytes{}).at(0), 0x5A);
    }
    EXPECT_EQ(host.sim.Report().sessionTimeouts, 0u);
    host.Wait(5100);
    EXPECT_EQ(host.sim.Report().sessionTimeouts, 1u);
    EXPECT_EQ(host.Ask({0x10, 0x85}), (Bytes{0x7F, 0x10, 0x33})) << "locked again";

    sim::SimOptions never;  // the default: no limit
    SimHarness patient(never);
    patient.EnterProgrammingSession();
    patient.Wait(600'000);
    EXPECT_EQ(patient.Ask({0x1A, 0x90}).value_or(Bytes{}).at(0), 0x5A);
}

}  // namespace

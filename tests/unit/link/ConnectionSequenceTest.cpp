#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "TestBench.h"
#include "app/ControlIds.h"
#include "link/ConnectionSequence.h"
#include "link/RequestTable.h"

namespace {

using ::testing::ElementsAre;

const Bytes kVersionQuery{0x02, 0x90, 0x92};
const Bytes kVersionAnswer{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};

std::string Connecting(int n) { return "Connecting to Com Port  [  " + std::to_string(n) + "  ]"; }
std::string Connected(int n) { return "Connected to Com Port  [  " + std::to_string(n) + "  ]"; }

class ConnectionSequenceTest : public ::testing::Test {
protected:
    void SetUp() override { ResetHunt(); }
    void TearDown() override {
        dlg.StopLink();
        ResetHunt();
    }
    static void ResetHunt() {
        ConnectState() = 0;
        CandidateIndex() = 0;
    }

    // Ports that open, and the one with an adapter behind it (0: none).
    void Start(std::vector<int32_t> listed, std::set<int32_t> openable, int32_t adapterPort) {
        bench.ports.ports = std::move(listed);
        port.SetOpenablePorts(std::move(openable));
        port.OnWrite([this, adapterPort](const Bytes& frame) {
            if (frame == kVersionQuery && port.OpenPortNumber() == adapterPort) {
                port.Deliver(kVersionAnswer);
                delivered += kVersionAnswer.size();
            }
        });
        dlg.OnInitDialog();
    }

    // Runs in virtual time; after every tick the receive thread has handled what the line
    // delivered, as the real line's short delay would allow.
    void Run(uint64_t ms, const std::function<void(int)>& afterTick = {}) {
        bench.RunFor(ms, [&](int timerId) {
            ASSERT_TRUE(bench.link.AwaitReaderWaitingAfter(delivered));
            if (afterTick) afterTick(timerId);
        });
    }

    bool Pending(int row) const { return dlg.scheduler.pendingFlags[static_cast<size_t>(row)] == 1; }

    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    FakeSerialPort& port = bench.port;
    ScriptedDialogHost& host = bench.host;
    size_t delivered = 0;
};

TEST_F(ConnectionSequenceTest, TriesEachPortForFourTicksUntilTheAdapterAnswers) {
    Start({3, 5}, {3, 5}, 5);
    int connectionTicks = 0;
    int closedAtTick = 0;
    Run(3000, [&](int timerId) {
        if (timerId != TimerId::Connection) return;
        ++connectionTicks;
        if (port.CloseCount() == 1 && closedAtTick == 0) closedAtTick = connectionTicks;
    });

    // Open, ask, then four tests: port 3 is given up on the sixth tick.
    EXPECT_EQ(closedAtTick, 6);
    EXPECT_THAT(port.OpenAttempts(), ElementsAre(3, 5));
    EXPECT_EQ(port.OpenPortNumber(), 5);
    EXPECT_THAT(host.StatusHistory(), ElementsAre(Connecting(3), Connecting(5), Connected(5)));
    EXPECT_EQ(dlg.dongleVersion, 123);
    EXPECT_FALSE(host.IsEnabled(ControlId::Proceed));
    EXPECT_FALSE(host.ActiveTimers().count(TimerId::Connection));
    EXPECT_TRUE(Pending(Row::ReadDate));
    EXPECT_EQ(bench.link.MostReaders(), 1);
}

TEST_F(ConnectionSequenceTest, AResetAfterConnectingReportsTheSamePortWithoutReopeningIt) {
    struct Case {
        int32_t stage;
        int firstRow;
    };
    Start({3, 5}, {3, 5}, 5);
    Run(3000);
    ASSERT_EQ(host.StatusText(), Connected(5));
    for (const Case& c : {Case{0, Row::ReadDate}, Case{3, Row::ModelCode}}) {
        SCOPED_TRACE(c.stage);
        dlg.sessionStage = Stage(c.stage);
        const auto statusCount = host.StatusHistory().size();
        dlg.ResetSession();
        Run(250);
        EXPECT_EQ(host.StatusHistory().size(), statusCount + 1);
        EXPECT_EQ(host.StatusText(), Connected(5));
        EXPECT_TRUE(Pending(c.firstRow));
        EXPECT_FALSE(host.ActiveTimers().count(TimerId::Connection));
    }
    EXPECT_THAT(port.OpenAttempts(), ElementsAre(3, 5));
    EXPECT_EQ(port.CloseCount(), 1);
}

TEST_F(ConnectionSequenceTest, AfterTheLastPortTheHuntStartsOverAtTheFirst) {
    struct Case {
        const char* name;
        std::set<int32_t> openable;
        uint64_t ms;
    };
    // Ports that do not open are passed over one per tick; ports without an adapter after six.
    for (const Case& c : {Case{"from state 0", {}, 750}, Case{"from state 5", {3, 5}, 3250}}) {
        SCOPED_TRACE(c.name);
        ResetHunt();
        TestBench fresh;
        fresh.ports.ports = {3, 5};
        fresh.port.SetOpenablePorts(c.openable);
        fresh.dlg->OnInitDialog();
        fresh.RunFor(c.ms);
        EXPECT_THAT(fresh.port.OpenAttempts(), ElementsAre(3, 5, 3));
        EXPECT_EQ(fresh.host.StatusHistory().size(), c.openable.empty() ? 0u : 3u);
    }
}

TEST_F(ConnectionSequenceTest, AnEmptyPortListNeverOpensAPort) {
    Start({}, {}, 0);
    Run(2000);
    EXPECT_TRUE(port.OpenAttempts().empty());
    EXPECT_EQ(ConnectState(), 0);
    EXPECT_FALSE(host.IsEnabled(ControlId::Proceed));
    EXPECT_TRUE(host.StatusHistory().empty());
}

// What the hunt met on each port is kept for the operator: why a port did not open, or that it
// opened and stayed silent; a round ends after the last port, and an answer forgets it all.
TEST_F(ConnectionSequenceTest, TheHuntKeepsEachPortsOutcomeByRoundsUntilTheAdapterAnswers) {
    port.SetOpenError(1, PortOpenError::InUse);
    port.SetOpenError(2, PortOpenError::Missing);
    Start({1, 2, 3}, {3}, 0);
    Run(500);  // two failed opens and port 3 under test
    EXPECT_EQ(dlg.hunt.RoundsWithoutAnswer(), 0u);
    EXPECT_THAT(dlg.hunt.Latest(),
                ElementsAre(PortAttempt{1, PortOutcome::InUse}, PortAttempt{2, PortOutcome::Missing}));

    Run(1500);  // port 3 given up: the round is over
    EXPECT_EQ(dlg.hunt.RoundsWithoutAnswer(), 1u);
    EXPECT_THAT(dlg.hunt.Latest(), ElementsAre(PortAttempt{1, PortOutcome::InUse}, PortAttempt{2, PortOutcome::Missing},
                                               PortAttempt{3, PortOutcome::Silent}));
    EXPECT_FALSE(dlg.hunt.Answered());
    EXPECT_EQ(dlg.WhyNoAdapter(false),
              "No adapter answered:\n"
              "  port 1: in use by another program\n"
              "  port 2: no such device\n"
              "  port 3: opened, but no adapter answered: check the adapter's cable and power");

    // The adapter is plugged in on port 2.
    port.SetOpenablePorts({2, 3});
    port.OnWrite([this](const Bytes& frame) {
        if (frame == kVersionQuery && port.OpenPortNumber() == 2) {
            port.Deliver(kVersionAnswer);
            delivered += kVersionAnswer.size();
        }
    });
    Run(1500);
    EXPECT_EQ(host.StatusText(), Connected(2));
    EXPECT_TRUE(dlg.hunt.Answered());
    EXPECT_EQ(dlg.hunt.RoundsWithoutAnswer(), 0u);
    EXPECT_TRUE(dlg.hunt.Latest().empty());
    EXPECT_EQ(dlg.CurrentPort(), 2);
}

TEST_F(ConnectionSequenceTest, WithoutAnyPortTheOperatorIsToldThatNoneWasFound) {
    Start({}, {}, 0);
    Run(1000);
    EXPECT_GT(dlg.hunt.RoundsWithoutAnswer(), 0u);
    EXPECT_EQ(dlg.WhyNoAdapter(true), "No serial port was found: connect the adapter, then start the program again.");
}

}  // namespace

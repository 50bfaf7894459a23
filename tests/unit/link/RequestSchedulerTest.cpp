#include <gtest/gtest.h>

#include "TestBench.h"
#include "link/RequestScheduler.h"

namespace {

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.InitSessionData();
        bench.port.Open(1);
        IdleSteps() = 0;
    }

    // Rows written by one tick, by their row number (the identifying bytes of each frame).
    std::vector<Bytes> Tick() {
        bench.port.ClearWrites();
        dlg.SchedulerTick();
        return bench.port.Writes();
    }

    // What HandleResponse does with an answer: withdraw the row, then clear the awaited flag.
    void Answer(int row) {
        dlg.scheduler.pendingFlags[static_cast<size_t>(row)] = 0;
        dlg.scheduler.awaitingResponse = 0;
    }

    static Bytes FrameOf(int row) {
        Bytes frame(RequestTable[static_cast<size_t>(row)].body,
                    RequestTable[static_cast<size_t>(row)].body + RequestTable[static_cast<size_t>(row)].body[0]);
        uint8_t sum = 0;
        for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
        frame.push_back(sum);
        return frame;
    }

    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
};

TEST(ScanOrder, AscendingExceptTheWriteRowsFrom154To173) {
    for (int p = 0; p <= 153; ++p) EXPECT_EQ(ScanOrder[static_cast<size_t>(p)], p);
    const std::vector<int> middle = {155, 162, 163, 164, 165, 166, 167, 168, 169, 170,
                                     171, 172, 173, 154, 156, 157, 158, 159, 160, 161};
    for (size_t i = 0; i < middle.size(); ++i) EXPECT_EQ(ScanOrder[154 + i], middle[i]);
    for (int p = 174; p <= 184; ++p) EXPECT_EQ(ScanOrder[static_cast<size_t>(p)], p);
}

TEST_F(SchedulerTest, AnIdleTickTakes186StepsAndEndsWhereItStarted) {
    dlg.scheduler.scanCursor = 37;
    EXPECT_TRUE(Tick().empty());
    EXPECT_EQ(dlg.scheduler.scanCursor, 37);
    EXPECT_EQ(IdleSteps(), 0);
}

TEST_F(SchedulerTest, SendsThePendingRowAndLeavesTheCursorOnIt) {
    dlg.scheduler.pendingFlags[Row::EcuReset] = 1;
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::EcuReset)});
    EXPECT_EQ(dlg.scheduler.scanCursor, Row::EcuReset);
    EXPECT_EQ(dlg.scheduler.awaitingResponse, 1);
    EXPECT_TRUE(Tick().empty()) << "one request outstanding at a time";
}

TEST_F(SchedulerTest, PendingRowsAreServedRoundRobinFromTheCursor) {
    dlg.scheduler.scanCursor = 70;
    dlg.scheduler.pendingFlags[Row::WriteLocal1C] = 1;
    dlg.scheduler.pendingFlags[Row::ReadLocal70] = 1;
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::WriteLocal1C)});
    Answer(Row::WriteLocal1C);
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::ReadLocal70)});
}

TEST_F(SchedulerTest, Row162GoesBeforeRow154) {
    dlg.scheduler.scanCursor = 150;
    dlg.scheduler.pendingFlags[Row::WriteIdent88] = 1;
    dlg.scheduler.pendingFlags[Row::WriteLocalAD] = 1;
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::WriteLocalAD)});
    Answer(Row::WriteLocalAD);
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::WriteIdent88)});
}

TEST_F(SchedulerTest, OnlyAFlagHoldingOneIsPending) {
    dlg.scheduler.pendingFlags[Row::ReadIdent46] = 2;
    dlg.scheduler.pendingFlags[Row::ReadIdent47] = -1;
    EXPECT_TRUE(Tick().empty());
    EXPECT_EQ(dlg.scheduler.awaitingResponse, 0);
}

// The budget carries over between ticks: a tick that starts with most of it spent stops early
// and the next tick finds the row.
TEST_F(SchedulerTest, AnUsedUpBudgetDefersARowToTheNextTick) {
    IdleSteps() = 150;
    dlg.scheduler.pendingFlags[Row::WriteLocal1C] = 1;
    EXPECT_TRUE(Tick().empty());
    EXPECT_EQ(dlg.scheduler.scanCursor, 36);
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::WriteLocal1C)});
}

TEST_F(SchedulerTest, AnUnansweredRequestIsSentAgainOnEvery21stTickAndStepsTheIndicator) {
    dlg.scheduler.pendingFlags[Row::ReadIdent41] = 1;
    ASSERT_EQ(Tick().size(), 1u);
    for (int round = 0; round < 3; ++round) {
        dlg.rxCount = 9;  // a partial frame the time-out discards
        const int repaints = bench.host.BusyRepaints();
        const int32_t position = dlg.busyIndicator.Position();
        for (int tick = 1; tick <= 20; ++tick) {
            EXPECT_TRUE(Tick().empty()) << "round " << round << " tick " << tick;
            EXPECT_EQ(dlg.scheduler.responseTimeoutTicks, tick);
        }
        EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(5)}) << "round " << round;
        EXPECT_EQ(dlg.rxCount, 0);
        EXPECT_EQ(bench.host.BusyRepaints(), repaints + 1);
        EXPECT_NE(dlg.busyIndicator.Position(), position);
        EXPECT_EQ(dlg.scheduler.awaitingResponse, 1);
        EXPECT_EQ(dlg.scheduler.responseTimeoutTicks, 0);
    }
}

TEST_F(SchedulerTest, AnAnsweredRequestIsNotSentAgain) {
    dlg.scheduler.pendingFlags[Row::ReadIdent41] = 1;
    Tick();
    Answer(5);
    for (int tick = 0; tick < 30; ++tick) EXPECT_TRUE(Tick().empty());
}

// Dispatch on response: the next request leaves as soon as the answer was handled, and its wait
// for an answer starts from zero however far the previous one had counted.
TEST_F(SchedulerTest, ADispatchSendsTheNextRequestAtOnceAndItWaitsItsFullTime) {
    dlg.scheduler.pendingFlags[Row::EcuReset] = 1;
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::EcuReset)});
    for (int tick = 0; tick < 15; ++tick) EXPECT_TRUE(Tick().empty());
    Answer(Row::EcuReset);
    dlg.scheduler.pendingFlags[Row::StopSession] = 1;

    bench.port.ClearWrites();
    dlg.OnDispatch();  // no receive thread: the link is not running
    EXPECT_TRUE(bench.port.Writes().empty());

    dlg.StartCommThread();
    dlg.OnDispatch();
    EXPECT_EQ(bench.port.Writes(), std::vector<Bytes>{FrameOf(27)});
    for (int tick = 0; tick < 20; ++tick) EXPECT_TRUE(Tick().empty()) << "timed out early at tick " << tick + 1;
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(27)});
    dlg.ClosePort();
}

TEST_F(SchedulerTest, NoTimeOutWhileTheResponseHandlerIsStillAtWork) {
    dlg.scheduler.pendingFlags[Row::EcuReset] = 1;
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::EcuReset)});
    dlg.scheduler.handlingResponse = 1;  // waiting out a reset, say
    for (int tick = 0; tick < 100; ++tick) EXPECT_TRUE(Tick().empty());
    dlg.scheduler.handlingResponse = 0;
    for (int tick = 0; tick < 20; ++tick) EXPECT_TRUE(Tick().empty());
    EXPECT_EQ(Tick(), std::vector<Bytes>{FrameOf(Row::EcuReset)});
}

}  // namespace

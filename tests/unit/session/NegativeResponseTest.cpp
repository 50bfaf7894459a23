// The refusals that steer a run, one rule at a time.
#include <gmock/gmock.h>

#include "SessionTest.h"
#include "app/Texts.h"
#include "link/RequestTable.h"

namespace {

using ::testing::ElementsAre;
using NegativeResponse = SessionTest;

TEST_F(NegativeResponse, AWrongLevel5KeyIsTriedOnceWithTheSecondVariant) {
    dlg.MakePending(Row::KeyLevel5);
    Answer({0x7F, 0x27, 0x35});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::SeedLevel5));
    EXPECT_EQ(dlg.secondKeyTried, 1);

    dlg.Withdraw(Row::SeedLevel5);
    dlg.MakePending(Row::KeyLevel5);
    Answer({0x7F, 0x27, 0x35});
    EXPECT_EQ(host.StatusText(), Text::InvalidKey);
    EXPECT_TRUE(PendingRows().empty());

    dlg.ResetSession();  // a new run tries the second variant again
    dlg.MakePending(Row::KeyLevel5);
    Answer({0x7F, 0x27, 0x35});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::SeedLevel5));
}

TEST_F(NegativeResponse, AWrongLevel7KeyEndsTheRun) {
    dlg.MakePending(Row::KeyLevel7);
    Answer({0x7F, 0x27, 0x35});
    EXPECT_EQ(host.StatusText(), Text::InvalidKey);
    EXPECT_TRUE(PendingRows().empty());
}

TEST_F(NegativeResponse, UnsupportedReadsAreSkippedInTheirOwnOrder) {
    const struct {
        int refusedRow;
        uint8_t service, code;
        int next;
    } cases[] = {
        {Row::ReadLocal3A, 0x21, 0x11, Row::ReadTime},  // 21 3A is followed by 21 61 here, not by 21 65
        {Row::ReadVersion, 0x21, 0x12, Row::ReadLocal65},
        {Row::ReadIdent99, 0x1A, 0x12, Row::ReadLocal12},
        {Row::ReadLocalBE, 0x21, 0x12, Row::Routine09},
        {Row::ReadLocalB820, 0x21, 0x31, Row::ReadLocalB100},  // B8 20 out of range is skipped too
        {Row::ReadLocalB810, 0x21, 0x31, Row::ReadLocalB820},
    };
    for (const auto& c : cases) {
        dlg.ResetSession();
        dlg.MakePending(c.refusedRow);
        Answer({0x7F, c.service, c.code});
        EXPECT_THAT(PendingRows(), ElementsAre(c.next)) << "row " << c.refusedRow;
    }
}

TEST_F(NegativeResponse, ASkippedBlockRecordLeavesTheBlockCounterAtTheStart) {
    dlg.MakePending(Row::ReadLocal1A);  // 21 1A nn, in its 8th block
    dlg.blockIndex = 7;
    Answer({0x7F, 0x21, 0x12});
    EXPECT_EQ(dlg.blockIndex, 0);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::ReadLocal1C));
}

TEST_F(NegativeResponse, WithoutRoutine09TheImageIsChosenInStage0AndLevel7FollowsLater) {
    dlg.softwareVersionNumber = 477;
    dlg.MakePending(Row::Routine09);
    Answer({0x7F, 0x31, 0x12});
    EXPECT_EQ(host.StatusText(), "Pre-loaded with K410");
    EXPECT_EQ(dlg.resetByService, 0);

    dlg.sessionStage = Stage::UpperProgramming;
    dlg.MakePending(Row::Routine09);
    Answer({0x7F, 0x31, 0x12});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::SeedLevel7));
}

TEST_F(NegativeResponse, AnEcuWithoutTheModelCodeCountsAsOlder) {
    dlg.modelCode = 9;
    dlg.MakePending(Row::ModelCode);
    Answer({0x7F, 0x21, 0x11});
    EXPECT_EQ(dlg.modelCode, 0);
    EXPECT_EQ(dlg.modelKnown, 0);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::SeedLevel5));
}

// "Manual Reset": the resets become the operator's, and in the stage-0 read only the refused
// record is left out. A read the run cannot do without ends the run instead.
TEST_F(NegativeResponse, AReadOutOfRangeLeavesOutOnlyItsRecordOrEndsTheRun) {
    const struct {
        int32_t stage;
        int refusedRow;
        int next;  // -1: the run ends
    } cases[] = {
        {0, Row::ReadLocal15, Row::ReadLocal17},  // the snapshot read goes on
        {0, Row::ModelCode, Row::SeedLevel5},     // as an ECU without the model code
        {0, Row::ReadDate, -1},                   // no date, no identification
        {2, Row::BaseChecksum, -1},
    };
    for (const auto& c : cases) {
        TestBench other;
        CFlashDlg& d = *other.dlg;
        d.InitSessionData();
        d.sessionStage = Stage(c.stage);
        d.resetByService = 1;
        d.MakePending(c.refusedRow);
        AnswerTo(d, {0x7F, 0x21, 0x31});
        const std::vector<int> pending = PendingRowsOf(d);
        if (c.next < 0) {
            EXPECT_TRUE(pending.empty()) << c.refusedRow;
            EXPECT_EQ(other.host.StatusText(), Text::CanNowExit) << c.refusedRow;
            EXPECT_TRUE(d.RunEnded()) << c.refusedRow;
            continue;
        }
        EXPECT_THAT(pending, ElementsAre(c.next)) << c.refusedRow;
        EXPECT_EQ(d.resetByService, 0) << c.refusedRow;
        EXPECT_EQ(other.host.StatusText(), Text::ManualReset) << c.refusedRow;
    }
}

// The version read after the base feeds only the history entry: refused, the history the erase
// wiped is still written back (stage 3) without a new entry, and 21 65 must not follow.
TEST_F(NegativeResponse, ARefusedHistoryVersionLeavesOutTheEntry) {
    for (uint8_t code : {0x31, 0x11, 0x12}) {
        for (int32_t stage : {3, 6}) {
            dlg.ResetSession();
            dlg.sessionStage = Stage(stage);
            dlg.blockIndex = 3;
            dlg.MakePending(Row::ReadVersion);
            Answer({0x7F, 0x21, code});
            EXPECT_THAT(PendingRows(), ElementsAre(stage == 6 ? Row::StopSession : Row::WriteHistory))
                << int(code) << " " << stage;
            EXPECT_EQ(dlg.blockIndex, 0);
            EXPECT_EQ(dlg.historyEntryAdded, 0);
            EXPECT_TRUE(host.MessageBoxes().empty()) << int(code) << " " << stage;
        }
    }
}

// An ECU without the history, or one that will not take it: the history is not sent again and
// the run goes on as after its last block, in stage 6 too.
TEST_F(NegativeResponse, ARefusedHistoryWriteIsNotSentAgain) {
    for (uint8_t code : {0x31, 0x11, 0x12}) {
        for (int32_t stage : {3, 6}) {
            dlg.ResetSession();
            dlg.sessionStage = Stage(stage);
            dlg.savedMarks.fill(0);
            dlg.savedMarks[0] = 1;  // 3B 40 still to be written back
            dlg.MakePending(Row::WriteHistory);
            dlg.blockIndex = 2;
            Answer({0x7F, 0x3B, code});
            EXPECT_EQ(dlg.blockIndex, 0);
            EXPECT_THAT(PendingRows(), ElementsAre(stage == 6 ? Row::StopSession : Row::WriteIdent40))
                << int(code) << " " << stage;
            EXPECT_EQ(dlg.sessionStage, Stage(stage));
        }
    }
}

// Requests outside the read order that the ECU does not support: the run goes on as after
// their answer, never with nothing pending.
TEST_F(NegativeResponse, AnUnsupportedRoutineResetOrStopIsPassedOver) {
    const struct {
        int32_t stage;
        int refusedRow;
        uint8_t service;
        int next;
    } cases[] = {
        {3, Row::Routine04, 0x31, Row::Routine06},    {3, Row::Routine06, 0x31, Row::ReadVersion},
        {3, Row::Routine0F, 0x31, Row::WriteIdent40},  // the restore pass goes on
        {1, Row::StopSession, 0x20, Row::EcuReset},   {6, Row::StopSession, 0x20, Row::ClearDiagnostics},
    };
    for (const auto& c : cases) {
        dlg.ResetSession();
        dlg.sessionStage = Stage(c.stage);
        dlg.resetByService = 1;
        dlg.savedMarks.fill(0);
        dlg.savedMarks[0] = 1;
        dlg.MakePending(c.refusedRow);
        Answer({0x7F, c.service, 0x11});
        EXPECT_THAT(PendingRows(), ElementsAre(c.next)) << c.refusedRow;
    }

    // An ECU that will not reset itself ends the run: asking the operator to reset it would be
    // answered by itself where nobody is at the ECU (--yes).
    dlg.ResetSession();
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.resetByService = 1;
    dlg.MakePending(Row::EcuReset);
    Answer({0x7F, 0x11, 0x11});
    for (const auto& box : host.MessageBoxes()) EXPECT_NE(box.text, Text::ResetEcuFirst);
    EXPECT_EQ(host.StatusText(), Text::CanNowExit);
    EXPECT_TRUE(dlg.RunEnded());
}

// Checksums and the clearing of diagnostic codes an ECU does not support: the run goes on
// without the check, or is complete.
TEST_F(NegativeResponse, AnUnsupportedChecksumOrClearIsPassedOver) {
    const struct {
        int32_t stage;
        int refusedRow;
        uint8_t service;
        int next;  // -1: Finished OK
    } cases[] = {
        {1, Row::BaseChecksum, 0x21, Row::Routine10},
        {5, Row::UpperChecksum, 0x21, Row::WriteMemory},
        {6, Row::ClearDiagnostics, 0x14, -1},
    };
    for (const auto& c : cases) {
        dlg.ResetSession();
        dlg.sessionStage = Stage(c.stage);
        dlg.MakePending(c.refusedRow);
        Answer({0x7F, c.service, 0x12});
        if (c.next < 0) {
            EXPECT_EQ(host.StatusText(), Text::FinishedOk);
            EXPECT_TRUE(dlg.RunEnded());
        } else {
            EXPECT_THAT(PendingRows(), ElementsAre(c.next)) << c.refusedRow;
        }
    }
}

TEST_F(NegativeResponse, RefusedRestoreWritesAreLeftOutAndTheRestoreGoesOn) {
    for (uint8_t code : {0x31, 0x11, 0x12}) {
        dlg.ResetSession();
        dlg.sessionStage = Stage::Restore;
        dlg.savedMarks.fill(0);
        dlg.savedMarks[30] = 1;              // a later record still to be written
        dlg.MakePending(Row::WriteLocal1A);  // in its 5th block
        dlg.blockIndex = 4;
        Answer({0x7F, 0x3B, code});
        EXPECT_EQ(dlg.blockIndex, 0) << int(code);
        const std::vector<int> pending = PendingRows();
        ASSERT_EQ(pending.size(), 1u) << int(code);
        EXPECT_GT(pending[0], Row::WriteLocal1A) << int(code);
    }
}

TEST_F(NegativeResponse, BusyAndPendingAnswers) {
    dlg.MakePending(Row::WriteMemory);
    Answer({0x7F, 0x3D, 0x78});
    EXPECT_EQ(host.StatusText(), Text::Erasing);
    EXPECT_TRUE(PendingRows().empty()) << "the write is not repeated while the ECU erases";

    EXPECT_EQ(dlg.finalAnswerDue, 1);

    // Pending for another request: it stays pending, the ECU answers it busy until it is done.
    dlg.finalAnswerDue = 0;
    dlg.MakePending(Row::Routine04);
    Answer({0x7F, 0x31, 0x78});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine04));
    EXPECT_EQ(dlg.finalAnswerDue, 0);

    for (uint8_t code : {0x21, 0x23, 0x37}) {
        dlg.MakePending(Row::Routine04);
        const int repaints = host.BusyRepaints();
        Answer({0x7F, 0x31, code});
        EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine04)) << int(code);
        EXPECT_EQ(host.BusyRepaints(), repaints + 1) << int(code);
    }
    EXPECT_EQ(host.StatusText(), Text::Waiting);

    // The final answer of the pending write says busy: the write is repeated.
    for (uint8_t code : {0x21, 0x23, 0x37}) {
        dlg.Withdraw(Row::Routine04);
        dlg.MakePending(Row::WriteMemory);
        Answer({0x7F, 0x3D, 0x78});
        Answer({0x7F, 0x3D, code});
        EXPECT_THAT(PendingRows(), ElementsAre(Row::WriteMemory)) << int(code);
        EXPECT_EQ(dlg.finalAnswerDue, 0) << int(code);
    }
    dlg.Withdraw(Row::WriteMemory);
    dlg.MakePending(Row::Routine04);

    dlg.MakePending(Row::WriteMemory);
    Answer({0x7F, 0x3D, 0x22});
    EXPECT_EQ(host.StatusText(), Text::ConditionsNotCorrect);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine04));
}

TEST_F(NegativeResponse, RefusalsOutsideTheActiveSession) {
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.MakePending(Row::StopSession);
    Answer({0x7F, 0x20, 0x80});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::BaseChecksum));

    Answer({0x7F, 0x21, 0x80});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine10));

    dlg.Withdraw(Row::Routine10);
    dlg.MakePending(Row::UpperChecksum);
    Answer({0x7F, 0x21, 0x80});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::WriteMemory));
}

TEST_F(NegativeResponse, AnUnexpectedCodeEndsTheRunAndItsRequestIsNotSentAgain) {
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.MakePending(Row::WriteMemory);
    Answer({0x7F, 0x3D, 0x10});
    const auto boxes = host.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text::UnexpectedNegativeResponse);
    EXPECT_EQ(boxes[1].text, Text::MayNotBeUpgraded);
    EXPECT_EQ(host.StatusText(), Text::CanNowExit);
    EXPECT_TRUE(PendingRows().empty());
    EXPECT_TRUE(dlg.RunEnded());
}

// A repeat refused because the first request got through and only its answer was lost.
TEST_F(NegativeResponse, ARepeatRefusedBecauseTheFirstGotThroughMovesOn) {
    dlg.sessionStage = Stage::Completion;
    dlg.MakePending(Row::StopSession);
    Answer({0x7F, 0x20, 0x22});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::ClearDiagnostics));
    dlg.Withdraw(Row::ClearDiagnostics);

    dlg.MakePending(Row::KeyLevel7);
    Answer({0x7F, 0x27, 0x22});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::SeedLevel7));
    EXPECT_NE(host.StatusText(), Text::ConditionsNotCorrect);
}

// The final answer after "response pending" is lost: the write goes out again after 10 s.
TEST_F(NegativeResponse, ALostFinalAnswerSendsTheWriteAgain) {
    bench.port.Open(1);
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.MakePending(Row::WriteMemory);
    Answer({0x7F, 0x3D, 0x78});
    for (int tick = 0; tick < 199; ++tick) dlg.CheckFinalAnswerOverdue();
    EXPECT_TRUE(PendingRows().empty());
    dlg.CheckFinalAnswerOverdue();
    EXPECT_THAT(PendingRows(), ElementsAre(Row::WriteMemory));
}

}  // namespace

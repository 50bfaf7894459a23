// The update's steps as the responses drive them: tags, keys, checksums, snapshot and restore.
#include <gmock/gmock.h>

#include <thread>

#include "SessionTest.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "session/SecurityKey.h"

namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;
using SessionFlow = SessionTest;

void PlaceTags(FlashContainer& container, int count, uint32_t firstAddress) {
    for (int i = 0; i < count; ++i) {
        const uint32_t address = firstAddress + uint32_t(i) * 0xC0;
        container[size_t(i)] = {0xC6, 0x3D, uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address), 0xC0};
    }
}

TEST_F(SessionFlow, BaseTagsShowTheirProgressThenTheSessionStops) {
    const struct {
        int lastTag;
        std::vector<std::string> texts;
    } cases[] = {{0, {}},
                 {4, {"Writing (Base) - 0%", "Writing (Base) - 25%", "Writing (Base) - 50%", "Writing (Base) - 75%"}}};
    for (const auto& c : cases) {
        dlg.ResetSession();
        dlg.sessionStage = Stage::BaseProgramming;
        PlaceTags(dlg.BaseContainer, c.lastTag + 1, 0x000100);
        dlg.lastBaseTag = c.lastTag;
        host.SetItemText(ControlId::StatusLine, "");
        Answer({0x50, 0x85});
        int written = 0;
        while (dlg.IsPending(Row::WriteMemory)) {
            const FlashTag& tag = dlg.BaseContainer[size_t(int(dlg.tagIndex))];
            Answer({0x7D, tag[2], tag[3], tag[4]});
            ++written;
        }
        EXPECT_EQ(written, c.lastTag + 1);
        std::vector<std::string> texts = host.StatusHistory();
        texts.erase(texts.begin(), texts.end() - long(c.texts.size()));
        EXPECT_EQ(texts, c.texts);
        EXPECT_THAT(PendingRows(), ElementsAre(Row::StopSession));
    }
}

TEST_F(SessionFlow, TheUpperEndTagWaitsForTheChecksum) {
    dlg.sessionStage = Stage::UpperProgramming;
    dlg.imageIndex = 1;
    PlaceTags(dlg.UpperContainer, 4, 0x020000);
    dlg.lastUpperTag = 3;
    dlg.resetByService = 1;
    Answer({0x50, 0x85});
    for (int i = 0; i < 3; ++i) {
        const FlashTag& tag = dlg.UpperContainer[size_t(int(dlg.tagIndex))];
        Answer({0x7D, tag[2], tag[3], tag[4]});
    }
    EXPECT_THAT(PendingRows(), ElementsAre(Row::UpperChecksum));
    const std::vector<std::string> texts = host.StatusHistory();
    EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
              (std::vector<std::string>{"Writing (Upper) - 0%", "Writing (Upper) - 33%", "Writing (Upper) - 66%"}));
    Answer({0x61, 0x83, 0x40, 0x36});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::WriteMemory));
    EXPECT_EQ(dlg.tagIndex, 3);
    Answer({0x7D, 0x02, 0x02, 0x40});
    EXPECT_EQ(host.StatusText(), Text::ResettingEcu);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::EcuReset));
}

TEST_F(SessionFlow, AWrongEchoSendsTheSameTagAgainTwiceAtMost) {
    dlg.sessionStage = Stage::BaseProgramming;
    PlaceTags(dlg.BaseContainer, 2, 0x000100);
    dlg.lastBaseTag = 1;
    Answer({0x50, 0x85});
    Answer({0x7D, 0x00, 0x00, 0x00});
    Answer({0x7D, 0x00, 0x00, 0x00});
    EXPECT_EQ(dlg.tagIndex, 0);
    Answer({0x7D, 0x00, 0x01, 0x00});  // right: the count starts again
    EXPECT_EQ(dlg.tagIndex, 1);
    for (int i = 0; i < 3; ++i) Answer({0x7D, 0x00, 0x00, 0x00});
    EXPECT_EQ(host.StatusText(), Text::BaseAddressError);
    EXPECT_TRUE(PendingRows().empty());
}

TEST_F(SessionFlow, KeysFollowSeedsAndASeedOf0NeedsNoKey) {
    Answer({0x67, 0x05, 0x12, 0x34});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::KeyLevel5));
    EXPECT_EQ(dlg.securityKey, 0x1827);
    dlg.Withdraw(Row::KeyLevel5);
    Answer({0x67, 0x05, 0x00, 0x00});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::StartSession84));
    dlg.Withdraw(Row::StartSession84);
    Answer({0x67, 0x07, 0xBE, 0xEF});
    EXPECT_EQ(dlg.securityKey, 0xE1CE);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::KeyLevel7));
    dlg.Withdraw(Row::KeyLevel7);
    Answer({0x67, 0x07, 0x00, 0x00});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::StartSession85));
    EXPECT_EQ(ComputeSecurityKey(KeyVariant::Level5Second, 0x0001), 0x8CA1);
}

TEST_F(SessionFlow, BaseChecksumMatchesAndMismatches) {
    dlg.imageIndex = 1;
    dlg.sessionStage = Stage::BaseProgramming;
    Answer({0x61, 0x83, 0xE3, 0x14});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine10));
    dlg.Withdraw(Row::Routine10);

    dlg.tagIndex = 7;
    Answer({0x61, 0x83, 0x14, 0xE3});  // the bytes swapped
    EXPECT_THAT(PendingRows(), ElementsAre(Row::WriteMemory));
    EXPECT_EQ(dlg.tagIndex, 0);
    dlg.Withdraw(Row::WriteMemory);

    dlg.sessionStage = Stage::BaseVerification;
    Answer({0x61, 0x83, 0x00, 0x00});
    EXPECT_EQ(dlg.sessionStage, Stage::BaseProgramming);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine09));
    dlg.Withdraw(Row::Routine09);

    Answer({0x61, 0x83, 0x00, 0x00});  // the third, with a match in between
    EXPECT_EQ(host.StatusText(), Text::FailedBaseCrc);
    EXPECT_TRUE(PendingRows().empty());

    dlg.sessionStage = Stage::RestoreAfterReset;
    Answer({0x61, 0x83, 0xE3, 0x14});
    EXPECT_TRUE(PendingRows().empty());
}

TEST_F(SessionFlow, AnImageWithoutExpectedValuesMatchesOnlyZero) {
    dlg.imageIndex = 6;
    dlg.sessionStage = Stage::BaseVerification;
    Answer({0x61, 0x83, 0x00, 0x00});
    EXPECT_EQ(dlg.sessionStage, Stage::Restore);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine0D));
}

TEST_F(SessionFlow, RepliesShorterThanTheirLayoutAreNotReadPastTheirEnd) {
    // A long frame first, so that stale bytes stand behind the short ones.
    dlg.MakePending(Row::ReadDate);
    Answer({0x61, 0x60, 'S', 'e', 'p', ' ', '2', '9', ' ', '2', '0', '1', '1', 0});
    EXPECT_EQ(std::string(dlg.ecuIdentification.softwareDate), "Sep 29 2011");

    dlg.MakePending(Row::ModelCode);
    Answer({0x61, 0xAC, 0x00});  // no model code, no variant
    EXPECT_EQ(dlg.modelKnown, 0);
    EXPECT_TRUE(dlg.IsPending(Row::ModelCode));

    dlg.Withdraw(Row::ModelCode);
    dlg.MakePending(Row::ReadIdent4C);  // 1A 4C, 17 bytes
    Answer({0x5A, 0x4C, 1, 2, 3});
    EXPECT_TRUE(dlg.IsPending(Row::ReadIdent4C));
    EXPECT_EQ(dlg.savedMarks[12], 0);

    dlg.sessionStage = Stage::BaseProgramming;
    dlg.MakePending(Row::WriteMemory);
    Answer({0x7D});
    EXPECT_TRUE(dlg.IsPending(Row::WriteMemory));
    EXPECT_EQ(dlg.scheduler.awaitingResponse, 0);
}

TEST_F(SessionFlow, AnUnknownServicePurgesTheLine) {
    dlg.MakePending(Row::ReadDate);
    Answer({0xA5, 0x01});
    EXPECT_EQ(bench.port.PurgeCount(), 1);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::ReadDate));
}

TEST_F(SessionFlow, Record39IsReadIn192BlocksAndRecordBDOnlyWithItsZero) {
    dlg.MakePending(Row::ReadLocal39);
    int replies = 0;
    while (dlg.IsPending(Row::ReadLocal39) && replies < 300) {
        const uint8_t block = dlg.blockIndex;
        Answer({0x61, 0x39, block, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, block});
        ++replies;
    }
    EXPECT_EQ(replies, 192);
    EXPECT_THAT(PendingRows(), ElementsAre(Row::ReadLocal3A));
    EXPECT_EQ(dlg.ecuDataSnapshot.local39[200 * 16 + 15], 200);
    EXPECT_EQ(dlg.ecuDataSnapshot.local39[100 * 16 + 15], 0) << "blocks 64 to 127 are never asked for";

    dlg.Withdraw(Row::ReadLocal3A);
    dlg.MakePending(Row::ReadLocalBD00);
    Answer({0x61, 0xBD, 0x01, 9, 9, 9, 9});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::ReadLocalBD00));
    Answer({0x61, 0xBD, 0x00, 9, 9, 9, 9});
    EXPECT_THAT(PendingRows(), ElementsAre(Row::ReadLocalBE));
}

TEST_F(SessionFlow, ARestoreWithNothingReadGoesStraightToTheUpperArea) {
    dlg.sessionStage = Stage::Restore;
    host.SetItemText(ControlId::StatusLine, "before");
    dlg.ScheduleNextRestoreWrite();
    EXPECT_THAT(PendingRows(), ElementsAre(Row::Routine09));
    EXPECT_EQ(dlg.sessionStage, Stage::UpperProgramming);
    EXPECT_EQ(host.StatusText(), "before");
}

// Without the date a new entry would be an unused slot: the history is written back as read, and
// stage 6 has no entry of this run to change.
TEST_F(SessionFlow, WithoutTheLocalDateTheHistoryIsWrittenBackAsItWasRead) {
    std::fill(dlg.ecuDataSnapshot.local69.begin(), dlg.ecuDataSnapshot.local69.end(), uint8_t{0x11});
    const auto history = dlg.ecuDataSnapshot.local69;
    bench.clock.SetLocalTime(std::tm{}, false);
    for (int32_t stage : {3, 6}) {
        dlg.sessionStage = Stage(stage);
        Answer({0x61, 0x64, '4', '7', '7', 'E', 0x00});
        EXPECT_THAT(PendingRows(), ElementsAre(Row::WriteHistory));
        EXPECT_EQ(dlg.ecuDataSnapshot.local69, history) << "stage " << stage;
        dlg.Withdraw(Row::WriteHistory);
    }
}

// The operator's reset box is open on the receive thread when the window closes: the close
// steps end the thread, and nothing starts the timers or the link again.
TEST_F(SessionFlow, ClosingDuringTheOperatorsResetLeavesEverythingStopped) {
    host.BecomeUiThread();
    bench.ports.ports = {1};
    ASSERT_TRUE(dlg.OnInitDialog());
    ASSERT_TRUE(dlg.OpenPort(1));
    dlg.StartCommThread();
    dlg.sessionStage = Stage::BaseProgramming;
    dlg.resetByService = 0;
    dlg.MakePending(Row::StopSession);
    dlg.lastSentRow = Row::StopSession;
    dlg.scheduler.awaitingResponse = 1;
    bench.port.Deliver({0x02, 0x60, 0x62});
    ASSERT_TRUE(host.AwaitWaitingCall(10s));  // the box waits for the window

    dlg.OnClose();

    EXPECT_TRUE(host.ActiveTimers().empty());
    EXPECT_FALSE(bench.port.IsOpen());
    EXPECT_FALSE(dlg.commThread.Exists());
    EXPECT_EQ(dlg.sessionStage, Stage::BaseProgramming);
}

// The answer to a reset is lost after the ECU reset: the adapter is back at 9600 baud, so the
// unanswered reset is tried at the other speed each time.
TEST_F(SessionFlow, AnUnansweredResetIsTriedAtBothSpeeds) {
    bench.port.Open(1);
    dlg.SetLineSpeed(1);
    dlg.MakePending(Row::EcuReset);
    dlg.SchedulerTick();
    for (uint32_t expected : {9600u, 38400u, 9600u}) {
        for (int tick = 0; tick < 21; ++tick) dlg.SchedulerTick();
        EXPECT_EQ(bench.port.Baud(), expected);
    }
    dlg.Withdraw(Row::EcuReset);
    dlg.MakePending(Row::ReadDate);
    for (int tick = 0; tick < 25; ++tick) dlg.SchedulerTick();
    EXPECT_EQ(bench.port.Baud(), 9600u) << "other requests keep the speed";
}

}  // namespace

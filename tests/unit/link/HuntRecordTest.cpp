// The hunt's record and what the operator is told from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/HuntRecord.h"

namespace {

using ::testing::ElementsAre;

std::string Name(int32_t number) { return "COM" + std::to_string(number); }

TEST(HuntRecord, TheLatestOutcomeOfEachPortWithTheRoundUnderWayOverTheLastOne) {
    HuntRecord hunt;
    hunt.Record(5, PortOutcome::Silent);
    hunt.Record(6, PortOutcome::InUse);
    hunt.EndRound();
    hunt.Record(5, PortOutcome::Missing);  // unplugged meanwhile
    EXPECT_EQ(hunt.RoundsWithoutAnswer(), 1u);
    EXPECT_THAT(hunt.Latest(), ElementsAre(PortAttempt{5, PortOutcome::Missing}, PortAttempt{6, PortOutcome::InUse}));
    hunt.Record(6, PortOutcome::Silent);
    hunt.EndRound();
    EXPECT_EQ(hunt.RoundsWithoutAnswer(), 2u);
    EXPECT_THAT(hunt.Latest(), ElementsAre(PortAttempt{5, PortOutcome::Missing}, PortAttempt{6, PortOutcome::Silent}));

    hunt.AdapterAnswered();
    EXPECT_TRUE(hunt.Answered());
    EXPECT_EQ(hunt.RoundsWithoutAnswer(), 0u);
    EXPECT_TRUE(hunt.Latest().empty());
}

TEST(HuntRecord, EveryOpenErrorHasItsOwnOutcome) {
    const std::pair<PortOpenError, PortOutcome> cases[] = {
        {PortOpenError::Missing, PortOutcome::Missing},
        {PortOpenError::NoPermission, PortOutcome::NoPermission},
        {PortOpenError::InUse, PortOutcome::InUse},
        {PortOpenError::NotSerial, PortOutcome::NotSerial},
        {PortOpenError::Other, PortOutcome::OpenFailed},
        {PortOpenError::None, PortOutcome::OpenFailed},
        {PortOpenError::OwnTerminal, PortOutcome::OwnTerminal},
    };
    for (const auto& [error, outcome] : cases) EXPECT_EQ(OutcomeOf(error), outcome) << static_cast<int>(error);
}

TEST(HuntRecord, TheDescriptionNamesEachPortWithItsReasonAndWhatMayHelp) {
    const std::vector<PortAttempt> attempts = {
        {1, PortOutcome::NoPermission}, {2, PortOutcome::NotSerial}, {3, PortOutcome::OpenFailed}};
    EXPECT_EQ(DescribeHunt(attempts, Name, true),
              "No adapter answered:\n"
              "  COM1: no permission to open it: add your user to the 'dialout' group and log in again\n"
              "  COM2: not a serial device\n"
              "  COM3: cannot be opened");

    // An interrupted update may have left an adapter at the high speed: only worth saying when a
    // port opened.
    const std::vector<PortAttempt> silent = {{6, PortOutcome::Silent}};
    EXPECT_EQ(DescribeHunt(silent, Name, true),
              "No adapter answered:\n"
              "  COM6: opened, but no adapter answered: check the adapter's cable and power\n"
              "An interrupted update can leave the adapter at its high speed: switching the ECU off and on brings "
              "it back.");
    EXPECT_EQ(DescribeHunt(silent, Name, false).find("high speed"), std::string::npos);
    EXPECT_EQ(DescribeHunt({}, Name, true), "No adapter answered");
}

}  // namespace

#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CliProcess.h"

// Short erase and boot times keep a whole update as short as the program's own pace allows.
inline const std::vector<std::string> kQuickEcu = {"--once", "--erase-ms", "300", "--boot-ms", "300"};

// The exit code of a run that changed the ECU and left it without a working program.
inline constexpr int kEcuLeftUnprogrammed = 3;

// The lines after the last status line that the recovery text takes, and that they name the
// run's journal with the command that finishes the update.
inline void ExpectRecoveryTextLast(const CliProcess& cli) {
    const std::vector<std::string> lines = cli.Lines();
    ASSERT_GE(lines.size(), 4u) << cli.Output();
    EXPECT_EQ(lines[lines.size() - 4],
              "The ECU is not programmed: the update stopped while the ECU was being changed.");
    EXPECT_THAT(lines[lines.size() - 3], ::testing::MatchesRegex("This run's journal: /.*/flash-updater/.*\\.journal"));
    EXPECT_EQ(lines[lines.size() - 2], "Switch the ECU off and on, then finish the update with:");
    const std::string journal = lines[lines.size() - 3].substr(std::strlen("This run's journal: "));
    EXPECT_EQ(lines.back(), "  flash-updater-cli --resume " + journal);
}

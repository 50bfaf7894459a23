// An unexpected refusal in the middle of programming: the operator is told, the report is
// appended to the file chosen, and the run ends.
#include <gtest/gtest.h>

#include "TemporaryFolder.h"
#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"

namespace {

TEST(DebugReportRun, UnexpectedRefusalAppendsTheReportToTheChosenFile) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    AddFault(ecu, "nrc=10@3D,nth=5");
    VirtualUpdateBench run(std::move(ecu));
    run.bench.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 13, 6, 3));
    TemporaryFolder folder;
    const std::string file = folder.File("debug.txt");
    TemporaryFolder::WriteAll(file, "earlier\n");
    run.host().ScriptFileChoice(file);
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.StatusTexts().back(), Text::CanNowExit);

    const std::string text = TemporaryFolder::ReadAll(file);
    EXPECT_EQ(text.rfind("earlier\n\nNegative Response received: verb= 0x3d response= 0x10 state = 1\nVIN = ", 0), 0u)
        << text;
    EXPECT_NE(text.find("\nTrying to upgrade to K410\nCurrently @ 304E\nTimestamp: Thu Dec 10 13:06:03 2026 \n"),
              std::string::npos)
        << text;
    // The file dialog comes between the two message boxes (it offers whatever name this process chose last).
    std::vector<std::string> steps;
    for (const std::string& entry : run.host().Log())
        if (entry.rfind("message ", 0) == 0 || entry.rfind("choose-file ", 0) == 0)
            steps.push_back(entry.substr(0, entry.find(' ')) + (entry[0] == 'm' ? entry.substr(7) : ""));
    EXPECT_EQ(steps, (std::vector<std::string>{std::string("message ") + Text::UnexpectedNegativeResponse,
                                               "choose-file", std::string("message ") + Text::MayNotBeUpgraded}));
}

}  // namespace

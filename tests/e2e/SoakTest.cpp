// Twenty whole updates in a row, each against an ECU on a line that drops, delays, garbles and
// corrupts at random: every run ends in one of the designed end texts (never in silence), and a
// run that finishes leaves every record as it was.
#include <gtest/gtest.h>

#include <set>

#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"

namespace {

TEST(Soak, TwentyUpdatesOnANoisyLine) {
    const std::set<std::string> endTexts = {Text::FinishedOk,       Text::FailedBaseCrc,     Text::FailedUpperCrc,
                                            Text::BaseAddressError, Text::UpperAddressError, Text::InvalidKey,
                                            Text::CanNowExit};
    int finished = 0;
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        sim::SimOptions ecu = EcuOfModel(0, static_cast<uint8_t>(seed % 2));
        ecu.seed = seed;
        for (const char* rule : {"drop,random=2,always", "delay=300,random=2,always", "corrupt,random=2,always",
                                 "junk-before,random=1,always", "truncate,random=1,always", "bad-copy,random=1,always"})
            AddFault(ecu, rule);
        VirtualUpdateBench run(ecu);
        run.Start();
        ASSERT_TRUE(run.RunToEnd(60 * 60 * 1000)) << "seed " << seed << " fell silent\n" << Listed(run.StatusTexts());
        const std::string last = run.host().StatusText();
        EXPECT_TRUE(endTexts.count(last)) << "seed " << seed << ": " << last;
        const sim::RunReport report = run.simulator.Report();
        EXPECT_TRUE(report.violations.empty()) << "seed " << seed << ": " << report.violations.front();
        if (last != Text::FinishedOk) continue;
        ++finished;
        std::vector<std::string> changed;
        for (const auto& record : report.changedRecords) changed.push_back(record.record);
        EXPECT_EQ(changed, (std::vector<std::string>{"21 17", "21 33", "21 69"})) << "seed " << seed;
    }
    EXPECT_EQ(finished, 20);
}

}  // namespace

// Noise on the line during identification, the snapshot, programming and the restore: the run
// still finishes, every record comes back, and no answer is taken twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"
#include "session/ValidateResponse.h"

namespace {

class LineNoise : public ::testing::TestWithParam<const char*> {};

TEST_P(LineNoise, LeavesTheUpdateWhole) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    AddFault(ecu, GetParam());
    VirtualUpdateBench run(ecu);
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.host().StatusText(), Text::FinishedOk) << Listed(run.StatusTexts());
    const sim::RunReport report = run.simulator.Report();
    std::vector<std::string> changed;
    for (const auto& record : report.changedRecords) changed.push_back(record.record);
    EXPECT_EQ(changed, (std::vector<std::string>{"21 17", "21 33", "21 69"}));
    EXPECT_TRUE(report.violations.empty()) << report.violations.front();
    for (const auto& tally : report.faults) EXPECT_GT(tally.hits, 0u) << tally.rule << " never struck";
}

INSTANTIATE_TEST_SUITE_P(, LineNoise,
                         ::testing::Values("junk-before@2160", "junk-after=55AA@2161", "duplicate@2164", "glue@21AC",
                                           "truncate@2705", "bad-copy@1A40", "unknown-sid@1A41",
                                           "nrc=12@2112,service=31", "duplicate@2165,count=5", "duplicate@3B65,count=5",
                                           "glue@3B1A,count=3", "duplicate@3D,nth=10", "junk-before=0102@3D,nth=20",
                                           "truncate=3@3D,nth=30", "bad-copy@3D,nth=40", "unknown-sid@3D,nth=50",
                                           "glue@3D,nth=60", "corrupt,random=3,always", "drop,random=2,always",
                                           "drop@3D,on=pending", "pending@3104,repeat=3"),
                         [](const auto& info) {
                             std::string name;
                             for (char c : std::string(info.param))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// Support reads in the trace why each frame was dropped: every verdict the gate gave shows with
// its name and the frame's bytes, and the counts agree. (Noise that never forms a whole frame,
// such as two answers in one chunk, is cleared by the time-out before any gate sees it.)
TEST(LineNoiseTrace, NamesTheVerdictOfEveryDroppedFrame) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    const struct {
        const char* fault;
        ResponseVerdict verdict;
    } faults[] = {
        {"corrupt@1A40", ResponseVerdict::WrongSum},
        {"nrc=12@2112,service=31", ResponseVerdict::NotTheAnswer},
        {"unknown-sid=A5@1A41", ResponseVerdict::UnknownService},
    };
    for (const auto& f : faults) AddFault(ecu, f.fault);
    VirtualUpdateBench run(ecu);
    std::vector<std::string> notes;
    run.dlg().traceNote = [&notes](std::string_view note) { notes.emplace_back(note); };
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.host().StatusText(), Text::FinishedOk);
    for (const auto& f : faults) {
        const std::string named = std::string("frame dropped (") + VerdictName(f.verdict) + "):";
        const auto count = std::count_if(notes.begin(), notes.end(),
                                         [&](const std::string& note) { return note.rfind(named, 0) == 0; });
        EXPECT_GE(count, 1) << f.fault;
        EXPECT_EQ(uint32_t(count), run.dlg().droppedResponses[static_cast<size_t>(f.verdict)]) << f.fault;
    }
    EXPECT_EQ(run.dlg().droppedResponses[static_cast<size_t>(ResponseVerdict::Accepted)], 0u);
    // And how the run moved, stage by stage.
    EXPECT_NE(std::find(notes.begin(), notes.end(), "stage 2 -> 3 (restore: the base checksum matched)"), notes.end());
}

}  // namespace

// Refusals from the ECU, injected by the simulator, and how the run goes on or ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecordCheck.h"
#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"

namespace {

struct RefusalCase {
    const char* what;
    std::vector<std::string> faults;
    int keyVariant;
    std::vector<std::string> texts;  // in this order, the last one final
    // Records the run could not read or write back: the ECU refused them.
    std::vector<std::string> notRestored = {};
    bool historyWritten = true;
    bool noHistory = false;  // an ECU without identifier 0x69
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, SteerTheRunToItsEnd) {
    const RefusalCase& c = GetParam();
    sim::SimOptions ecu = EcuOfModel(0, 0);
    ecu.keyVariant = c.keyVariant;
    ecu.noHistory = c.noHistory;
    for (const std::string& rule : c.faults) AddFault(ecu, rule);
    VirtualUpdateBench run(ecu);
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    const std::vector<std::string> texts = run.StatusTexts();
    EXPECT_EQ(texts.back(), c.texts.back()) << Listed(texts);
    EXPECT_TRUE(InOrder(texts, c.texts)) << Listed(texts);

    const sim::RunReport report = run.simulator.Report();
    EXPECT_TRUE(report.violations.empty()) << report.violations.front();
    if (c.texts.back() == Text::FinishedOk) {
        ExpectedRecords expected{run.LocalTime(), {}, "tester", c.notRestored};
        if (c.historyWritten) expected.historyVersions = {report.version};
        EXPECT_EQ(RecordProblems(report, expected), std::vector<std::string>{});
    }
    // Only an ECU said to want its resets by hand gets the operator asked for one.
    const bool manualResets = std::find(c.texts.begin(), c.texts.end(), Text::ManualReset) != c.texts.end();
    for (const auto& box : run.host().MessageBoxes()) {
        if (!manualResets) {
            EXPECT_NE(box.text, Text::ResetEcuFirst) << Listed(texts);
        }
    }
    // The history goes out twice at most (stage 3 and stage 6), ten blocks each: never for ever.
    EXPECT_LE(run.FramesStartingWith({0x3B, 0x69}).size(), 20u);
    // Ended means ended: nothing more goes on the wire.
    const size_t frames = run.line.Writes().size();
    run.RunFor(10000);
    EXPECT_EQ(run.line.Writes().size(), frames) << Listed(run.StatusTexts());
}

const std::string kPreloaded = "Pre-loaded with K410";

INSTANTIATE_TEST_SUITE_P(
    , Refusals,
    ::testing::Values(
        RefusalCase{"OptionalIdentificationReadsSkipped",
                    {"unsupported=12@1A4F", "unsupported=11@1A99"},
                    1,
                    {kPreloaded, Text::FinishedOk},
                    {"1A 4F", "1A 99"}},
        RefusalCase{
            "Read3ASkippedTo61ThenOnWith65", {"unsupported=11@213A"}, 1, {kPreloaded, Text::FinishedOk}, {"21 3A"}},
        RefusalCase{"ReadBESkippedToRoutine09", {"unsupported=12@21BE"}, 1, {kPreloaded, Text::FinishedOk}, {"21 BE"}},
        RefusalCase{"BusyRepeatsAndWaits",
                    {"nrc=21@2160,count=2", "nrc=23@3104,count=2", "nrc=37@2705,count=1"},
                    1,
                    {"Waiting...", kPreloaded, Text::FinishedOk}},
        RefusalCase{"B810OutOfRangeSkipped", {"nrc=31@21B810,always"}, 1, {kPreloaded, Text::FinishedOk}, {"21 B8 10"}},
        RefusalCase{"AReadOutOfRangeMeansManualResets",
                    {"nrc=31@2115,always"},
                    1,
                    {Text::ManualReset, kPreloaded, Text::ResettingEcu, Text::FinishedOk},
                    {"21 15"}},
        RefusalCase{"HistoryWriteOutOfRange",
                    {"nrc=31@3B69,always"},
                    1,
                    {Text::WritingEcuData, Text::FinishedOk},
                    {"21 69"},
                    false},
        RefusalCase{"AnEcuWithoutTheHistory", {}, 1, {Text::WritingEcuData, Text::FinishedOk}, {}, false, true},
        RefusalCase{"ARestoreWriteOutOfRangeIsLeftOut",
                    {"nrc=31@3B1C,always"},
                    1,
                    {Text::WritingEcuData, Text::FinishedOk},
                    {"21 1C"}},
        RefusalCase{"SecondKeyVariantAccepted", {}, 2, {kPreloaded, Text::FinishedOk}},
        RefusalCase{"BothKeyVariantsRejected", {"nrc=35@2706,count=2"}, 1, {Text::InvalidKey}},
        RefusalCase{"Level7KeyRejected", {"nrc=35@2708"}, 1, {kPreloaded, Text::InvalidKey}},
        RefusalCase{"ConditionsNotCorrectForTheWrite", {"nrc=22@3D"}, 1, {kPreloaded, Text::ConditionsNotCorrect}},
        RefusalCase{"StopSessionRefusedBaseCheckedBeforeTheReset",
                    {"nrc=80@20,count=1"},
                    1,
                    {"Writing (Base) - 0%", Text::ResettingEcu, Text::FinishedOk}},
        RefusalCase{"BaseChecksumNeverAnswered", {"nrc=80@218300,always"}, 1, {Text::ResettingEcu, Text::FinishedOk}},
        RefusalCase{
            "UpperChecksumNeverAnswered", {"nrc=80@218301,always"}, 1, {"Writing (Upper) - 0%", Text::FinishedOk}},
        RefusalCase{"IdentificationReadOutOfRangeSkipped",
                    {"nrc=31@1A4F,always"},
                    1,
                    {kPreloaded, Text::FinishedOk},
                    {"1A 4F"}},
        // The version read after the base only feeds the history entry: without it the history is
        // written back as it was, without an entry for this update.
        RefusalCase{"HistoryVersionOutOfRangeAfterTheBase",
                    {"nrc=31@2164,nth=2"},
                    1,
                    {Text::WritingEcuData, Text::FinishedOk},
                    {},
                    false},
        RefusalCase{
            "HistoryVersionOutOfRangeAtTheEnd", {"nrc=31@2164,nth=3"}, 1, {Text::WritingEcuData, Text::FinishedOk}},
        RefusalCase{"HistoryVersionNeverGiven",
                    {"unsupported=11@2164,nth=2"},
                    1,
                    {Text::WritingEcuData, Text::FinishedOk},
                    {},
                    false},
        RefusalCase{"ChecksumsUnsupported", {"unsupported=12@2183"}, 1, {Text::ResettingEcu, Text::FinishedOk}},
        RefusalCase{"ClearingDiagnosticsUnsupported", {"unsupported=11@140000"}, 1, {kPreloaded, Text::FinishedOk}},
        // The final answer after "response pending" says busy: the write goes out again.
        RefusalCase{"BusyAfterPendingWrite",
                    {"nrc=78@3D,nth=5", "nrc=21@3D,nth=5"},
                    1,
                    {"Writing (Base) - 0%", Text::FinishedOk}},
        RefusalCase{"NotCompleteAfterPendingWrite",
                    {"nrc=78@3D,nth=8", "nrc=23@3D,nth=8"},
                    1,
                    {"Writing (Base) - 0%", Text::FinishedOk}},
        RefusalCase{"WaitAfterPendingWrite",
                    {"nrc=78@3D,nth=9", "nrc=37@3D,nth=9"},
                    1,
                    {"Writing (Base) - 0%", Text::Waiting, Text::FinishedOk}},
        // Nobody may be there to reset the ECU by hand: the run ends rather than asking.
        RefusalCase{"ResetByServiceUnsupported", {"unsupported=11@1101"}, 1, {kPreloaded, Text::CanNowExit}},
        RefusalCase{"DateUnsupported", {"unsupported=11@2160"}, 1, {Text::CanNowExit}},
        RefusalCase{"RoutineOutOfRange", {"nrc=31@310D,always"}, 1, {kPreloaded, Text::CanNowExit}},
        RefusalCase{"UnexpectedCodeInStage0", {"nrc=10@2161"}, 1, {Text::CanNowExit}},
        RefusalCase{"UnexpectedCodeInStage1", {"nrc=81@3D,nth=5"}, 1, {"Writing (Base) - 0%", Text::CanNowExit}}),
    [](const auto& info) { return std::string(info.param.what); });

// While the ECU erases, a frame that answers nothing (of a service of no answer, or a refusal
// naming another service) must not end the wait for the erase's own answer.
class StrayFrameDuringTheErase : public ::testing::TestWithParam<const char*> {};

TEST_P(StrayFrameDuringTheErase, IsDroppedAndTheUpdateFinishes) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    AddFault(ecu, GetParam());
    VirtualUpdateBench run(ecu);
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.host().StatusText(), Text::FinishedOk) << Listed(run.StatusTexts());
    const sim::RunReport report = run.simulator.Report();
    EXPECT_TRUE(report.violations.empty()) << report.violations.front();
    uint32_t dropped = 0;
    for (const auto& count : run.dlg().droppedResponses) dropped += count;
    EXPECT_EQ(dropped, 2u) << "one stray frame in each erase, each dropped by the gate";
    EXPECT_EQ(RecordProblems(report, {run.LocalTime(), {report.version}, "tester", {}}), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(, StrayFrameDuringTheErase,
                         ::testing::Values("stray@3D,always", "stray=A500@3D,always", "stray=7F3112@3D,always"),
                         [](const auto& info) {
                             std::string name;
                             for (char c : std::string(info.param))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace

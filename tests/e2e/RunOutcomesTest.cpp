// How a run ends when the ECU is not the usual one or answers wrongly: the image chosen by the
// version number, operator resets, cancellations, wrong echoes and wrong checksums.
#include <gtest/gtest.h>

#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"

namespace {

TEST(RunOutcomes, WithoutTheModelCodeTheImageIsChosenByTheVersionNumber) {
    struct Case {
        const char* version;
        const char* preloaded;
    };
    for (const Case& c : {Case{"477E", "Pre-loaded with K410"}, Case{"V478", "Pre-loaded with K411"},
                          Case{"465E", "Pre-loaded with K412"}}) {
        sim::SimOptions ecu = EcuOfModel(0, 0);
        ecu.identity.version = c.version;
        AddFault(ecu, "unsupported=11@21AC,always");
        VirtualUpdateBench run(ecu);
        run.Start();
        ASSERT_TRUE(run.RunToEnd()) << c.version << Listed(run.StatusTexts());
        EXPECT_EQ(run.host().StatusText(), Text::FinishedOk) << c.version << Listed(run.StatusTexts());
        EXPECT_TRUE(InOrder(run.StatusTexts(), {c.preloaded, Text::FinishedOk})) << Listed(run.StatusTexts());
    }
}

TEST(RunOutcomes, AnEcuWithoutRoutine09IsResetByTheOperatorTwice) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    AddFault(ecu, "no-routine-09");
    VirtualUpdateBench run(ecu);
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.host().StatusText(), Text::FinishedOk) << Listed(run.StatusTexts());

    int resetBoxes = 0;
    for (const auto& box : run.host().MessageBoxes()) {
        if (box.text != Text::ResetEcuFirst) continue;
        ++resetBoxes;
        EXPECT_EQ(box.caption, Text::UserInputRequired);
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    }
    EXPECT_EQ(resetBoxes, 2);
    EXPECT_TRUE(run.FramesStartingWith({0x11, 0x01}).empty()) << "the program reset the ECU by itself";
    // After each of the operator's resets the link reports itself connected again.
    EXPECT_TRUE(InOrder(run.StatusTexts(), {Text::ResettingEcu, "Connected to Com Port  [  1  ]", Text::ResettingEcu,
                                            "Connected to Com Port  [  1  ]", Text::FinishedOk}))
        << Listed(run.StatusTexts());
}

// A window that cannot dispatch on response leaves every request to the scheduler's ticks.
TEST(RunOutcomes, AnUpdateOnSchedulerTicksAloneFinishesTooAtAboutTwiceTheTime) {
    uint64_t durationMs[2] = {};
    for (bool dispatch : {true, false}) {
        VirtualUpdateBench run(EcuOfModel(0, 0));
        run.dispatchOnResponse = dispatch;
        run.Start();
        ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
        EXPECT_EQ(run.host().StatusText(), Text::FinishedOk) << Listed(run.StatusTexts());
        durationMs[dispatch ? 0 : 1] = run.bench.clock.NowMs();
    }
    EXPECT_GT(durationMs[1], durationMs[0] * 3 / 2);
}

struct EndCase {
    const char* what;
    std::function<void(sim::SimOptions&)> ecu;
    const char* finalText;
    bool programmed;  // whether the run got as far as writing the flash
};

class RunEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(RunEnds, WithItsFinalText) {
    const EndCase& c = GetParam();
    sim::SimOptions ecu = EcuOfModel(0, 0);
    c.ecu(ecu);
    VirtualUpdateBench run(ecu);
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.host().StatusText(), c.finalText) << Listed(run.StatusTexts());
    EXPECT_EQ(!run.FramesStartingWith({0x3D}).empty(), c.programmed);
    const sim::RunReport report = run.simulator.Report();
    EXPECT_TRUE(report.violations.empty()) << report.violations.front();
    // Ended means ended: nothing more goes on the wire.
    const size_t frames = run.line.Writes().size();
    run.RunFor(10000);
    EXPECT_EQ(run.line.Writes().size(), frames);
}

const auto kEnds = ::testing::Values(
    EndCase{"LaterSoftwareDate", [](auto& e) { e.identity.date = "Sep 30 2011"; }, Text::LaterVersion, false},
    EndCase{"LowerCaseMonth", [](auto& e) { e.identity.date = "sep 29 2010"; }, Text::LaterVersion, false},
    EndCase{"UnknownModelCode", [](auto& e) { e.identity.modelCode = 4; }, Text::UnknownEcu, false},
    EndCase{"Variant2OfModel0", [](auto& e) { e.identity.variant = 2; }, Text::UnknownEcu, false},
    EndCase{"EchoWrongTwiceThenRight", [](auto& e) { AddFault(e, "wrong-echo@3D,nth=3,count=2"); }, Text::FinishedOk,
            true},
    EndCase{"EchoWrongThreeTimes", [](auto& e) { AddFault(e, "wrong-echo@3D,nth=3,count=3"); }, Text::BaseAddressError,
            true},
    EndCase{"UpperEchoWrongThreeTimes", [](auto& e) { AddFault(e, "wrong-echo@3D02,count=3"); },
            Text::UpperAddressError, true},
    EndCase{"BaseChecksumWrongTwice", [](auto& e) { AddFault(e, "wrong-crc@218300,count=2"); }, Text::FinishedOk, true},
    EndCase{"BaseChecksumWrongThreeTimes", [](auto& e) { AddFault(e, "wrong-crc@218300,count=3"); },
            Text::FailedBaseCrc, true},
    EndCase{"UpperChecksumWrongTwice", [](auto& e) { AddFault(e, "wrong-crc@218301,count=2"); }, Text::FinishedOk,
            true},
    EndCase{"UpperChecksumWrongThreeTimes", [](auto& e) { AddFault(e, "wrong-crc@218301,count=3"); },
            Text::FailedUpperCrc, true});

INSTANTIATE_TEST_SUITE_P(, RunEnds, kEnds, [](const auto& info) { return std::string(info.param.what); });

}  // namespace

// An update cut off, and the runs after it on the same ECU: with the journal every record comes
// back; no journal is ever written into another ECU, nor an old one written back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "UpdateRun.h"
#include "Workshop.h"
#include "app/Texts.h"
#include "journal/JournalTexts.h"

namespace {

bool Shown(const VirtualUpdateBench& run, const std::string& text) {
    const auto texts = run.StatusTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::size_t Questions(const VirtualUpdateBench& run) {
    const auto boxes = run.bench.host.MessageBoxes();
    return static_cast<std::size_t>(
        std::count_if(boxes.begin(), boxes.end(), [](const auto& box) { return IsQuestion(box.buttons); }));
}

std::string Version(const sim::RunReport& report) { return report.version; }

struct CutPoint {
    const char* name;
    std::function<bool(const VirtualUpdateBench&)> reached;
    int historyEntries;  // entries added by the two runs together: the cut run's own entry stays
                         // only where its write-back had finished
};

class InterruptedUpdate : public ::testing::TestWithParam<CutPoint> {};

// The operator answers Yes; the ECU's VIN is wiped by the erase, so the question is asked for an
// ECU the program cannot tell, unless the write-back had finished (then nothing is asked).
TEST_P(InterruptedUpdate, TheNextRunWritesEveryRecordBack) {
    Workshop station(EcuOfModel(0, 0));
    station.StartProgram();
    ASSERT_TRUE(station.run.RunUntil([&] { return GetParam().reached(station.run); }, 20 * 60 * 1000))
        << Listed(station.run.StatusTexts());

    station.run.host().ScriptYesNoAnswer(MessageResult::Yes);
    station.StartProgram();
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    ASSERT_EQ(station.ExitCode(), 0) << Listed(station.run.StatusTexts());
    const std::size_t asked = Questions(station.run);
    EXPECT_EQ(asked, GetParam().historyEntries == 1 ? 1u : 0u);

    const std::string version = Version(station.run.simulator.Report());
    EXPECT_EQ(station.RecordProblems(std::vector<std::string>(static_cast<size_t>(GetParam().historyEntries), version)),
              std::vector<std::string>{});
    const auto journals = station.Journals();
    ASSERT_EQ(journals.size(), 2u);
    EXPECT_EQ(journals[0].header.progress, JournalProgress::Superseded);
    EXPECT_EQ(journals[1].header.progress, JournalProgress::Finished);
}

INSTANTIATE_TEST_SUITE_P(
    , InterruptedUpdate,
    ::testing::Values(CutPoint{"MidBaseArea", [](const auto& run) { return Shown(run, "Writing (Base) - 50%"); }, 1},
                      CutPoint{"AfterTheBaseReset",
                               [](const auto& run) {
                                   return !run.FramesStartingWith({0x21, 0x83, 0x00}).empty();
                               },
                               1},
                      CutPoint{"MidWriteBack", [](const auto& run) { return Shown(run, Text::WritingEcuData); }, 1},
                      CutPoint{"MidUpperArea", [](const auto& run) { return Shown(run, "Writing (Upper) - 50%"); }, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// Unattended, an ECU whose VIN the erase wiped is not taken for the interrupted one by itself:
// nothing is written until the operator names the journal.
TEST(InterruptedUpdateUnattended, StopsBeforeWritingAnythingThenResumesFromTheJournalNamed) {
    Workshop station(EcuOfModel(0, 0));
    station.StartProgram(Unattended());
    ASSERT_TRUE(station.run.RunUntil([&] { return Shown(station.run, "Writing (Base) - 50%"); }, 20 * 60 * 1000));
    const std::string interrupted = station.RunJournalPath();

    station.StartProgram(Unattended());
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.ExitCode(), 1);
    EXPECT_EQ(station.run.StatusTexts().back(), Text::NotProgrammedMaybeInterrupted);
    EXPECT_EQ(station.FramesAfterTheStage0Read(), 0u);
    const auto boxes = station.run.host().MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes.back().text.find(interrupted), std::string::npos) << boxes.back().text;
    EXPECT_NE(boxes.back().text.find("--resume"), std::string::npos);
    EXPECT_NE(boxes.back().text.find("--no-resume"), std::string::npos);

    station.StartProgram(Resuming(interrupted));
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.ExitCode(), 0) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.RecordProblems({Version(station.run.simulator.Report())}), std::vector<std::string>{});
}

// An ECU that keeps its VIN and serial through an erase is known to be the interrupted one: an
// unattended run writes its data back by itself.
TEST(InterruptedUpdateUnattended, AnEcuThatKeepsItsVinIsResumedByItself) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    ecu.keepIdentity = true;
    Workshop station(ecu);
    station.StartProgram(Unattended());
    ASSERT_TRUE(station.run.RunUntil([&] { return Shown(station.run, "Writing (Base) - 50%"); }, 20 * 60 * 1000));
    const std::string interrupted = station.RunJournalPath();

    station.StartProgram(Unattended());
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.ExitCode(), 0) << Listed(station.run.StatusTexts());
    ASSERT_TRUE(station.run.dlg().restoreSource);
    EXPECT_EQ(station.run.dlg().restoreSource->path, interrupted);
    EXPECT_EQ(station.RecordProblems({Version(station.run.simulator.Report())}), std::vector<std::string>{});
}

// Cut off in its first tags, the ECU's info block still erased: it reads as no ECU the program
// knows, and only the journal can tell which image it needs.
TEST(InterruptedUpdateUnattended, AnEcuLeftBlankIsRecoveredFromTheJournalNamed) {
    Workshop station(EcuOfModel(0, 0));
    station.StartProgram(Unattended());
    ASSERT_TRUE(station.run.RunUntil([&] { return Shown(station.run, "Writing (Base) - 0%"); }, 20 * 60 * 1000));
    ASSERT_EQ(station.run.simulator.Report().modelCode, 0xFF) << "the info block is written already";
    const std::string interrupted = station.RunJournalPath();

    // Without the journal: cancelled as an unknown ECU, nothing written.
    station.StartProgram(NotResuming());
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.run.StatusTexts().back(), Text::UnknownEcu);
    EXPECT_EQ(station.FramesAfterTheStage0Read(), 0u);

    station.StartProgram(Resuming(interrupted));
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.ExitCode(), 0) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.RecordProblems({Version(station.run.simulator.Report())}), std::vector<std::string>{});
}

// The journal of one ECU named for another: refused before anything is written.
TEST(InterruptedUpdateUnattended, AnotherEcusJournalIsRefusedAndThatEcuLeftUntouched) {
    Workshop first(EcuOfModel(0, 0));
    first.StartProgram(Unattended());
    ASSERT_TRUE(first.run.RunUntil([&] { return Shown(first.run, "Writing (Base) - 50%"); }, 20 * 60 * 1000));
    const std::string journalOfTheFirst = first.RunJournalPath();
    first.KillProgram();

    sim::SimOptions otherEcu = EcuOfModel(0, 0);
    otherEcu.seed = 2;
    Workshop second(otherEcu);
    second.StartProgram(Resuming(journalOfTheFirst));
    ASSERT_TRUE(second.run.RunToEnd()) << Listed(second.run.StatusTexts());
    EXPECT_EQ(second.ExitCode(), 1);
    EXPECT_EQ(second.run.StatusTexts().back(), Text::NamedJournalOfAnotherEcu);
    EXPECT_EQ(second.FramesAfterTheStage0Read(), 0u);
    EXPECT_TRUE(second.run.simulator.Report().changedRecords.empty());
}

// A run that ended before it erased anything (a refused key after "Proceed ->") leaves nothing
// to write back: the next run offers nothing and supersedes that journal.
TEST(InterruptedUpdateAbort, AJournalThatErasedNothingIsNeverOfferedAndIsSuperseded) {
    sim::SimOptions ecu = EcuOfModel(0, 0);
    AddFault(ecu, "nrc=35@2708");
    Workshop station(ecu);
    station.StartProgram();
    ASSERT_TRUE(station.run.RunToEnd());
    ASSERT_EQ(station.run.StatusTexts().back(), Text::InvalidKey);
    ASSERT_EQ(station.Journals().at(0).header.progress, JournalProgress::Saved);

    station.run.host().ScriptYesNoAnswer(MessageResult::Yes);
    station.StartProgram();
    ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
    EXPECT_EQ(station.ExitCode(), 0) << Listed(station.run.StatusTexts());
    EXPECT_EQ(Questions(station.run), 0u);
    const auto journals = station.Journals();
    ASSERT_EQ(journals.size(), 2u);
    EXPECT_EQ(journals[0].header.progress, JournalProgress::Superseded);
    EXPECT_EQ(journals[1].header.progress, JournalProgress::Finished);
    EXPECT_EQ(station.RecordProblems({Version(station.run.simulator.Report())}), std::vector<std::string>{});
}

TEST(InterruptedUpdateWire, AnUninterruptedRunSendsTheSameBytesWithTheJournal) {
    std::vector<std::vector<SimulatedLine::WireFrame>> wires;
    for (bool withJournal : {false, true}) {
        Workshop station(EcuOfModel(0, 0));
        station.StartProgram();
        if (!withJournal) station.run.dlg().journalSettings.journal = nullptr;
        ASSERT_TRUE(station.run.RunToEnd()) << Listed(station.run.StatusTexts());
        ASSERT_EQ(station.ExitCode(), 0);
        wires.push_back(station.run.line.Writes());
        if (withJournal) {
            ASSERT_EQ(station.Journals().size(), 1u);
            EXPECT_EQ(station.Journals()[0].header.progress, JournalProgress::Finished);
        }
    }
    ASSERT_EQ(wires[0].size(), wires[1].size());
    for (std::size_t i = 0; i < wires[0].size(); ++i) {
        EXPECT_EQ(wires[0][i].bytes, wires[1][i].bytes) << "frame " << i;
        EXPECT_EQ(wires[0][i].baud, wires[1][i].baud) << "frame " << i;
    }
}

}  // namespace

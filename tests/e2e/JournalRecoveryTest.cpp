// A run cut off after the base erase, and the next run on the same ECU: with the journal the
// ECU's own records come back. An uninterrupted run sends the same bytes with or without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "TemporaryFolder.h"
#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"
#include "journal/Journal.h"
#include "platform/FolderStorage.h"

namespace {

// What a run may leave changed: the repairs made on reading, and the history.
std::vector<std::string> LostRecords(const sim::RunReport& report) {
    std::vector<std::string> lost;
    for (const auto& changed : report.changedRecords)
        if (changed.record != "21 17" && changed.record != "21 33" && changed.record != "21 69")
            lost.push_back(changed.record);
    return lost;
}

// The program ends without its close steps reaching the ECU, and is started again; the ECU is
// switched off and on meanwhile.
// The program cut off ends, and with it its lock on its journal.
void RestartProgram(VirtualUpdateBench& run, std::optional<Journal>& ended, Journal& journal) {
    run.dlg().OnClose();
    run.simulator.PowerCycle(run.bench.clock.NowMs() * 1000);
    TestBench& b = run.bench;
    b.dlg = std::make_unique<CFlashDlg>(PlatformServices{b.host, b.clock, b.link, b.ports, b.system});
    ended.reset();
    b.dlg->journalSettings.journal = &journal;
    run.Start();
}

bool Shown(const VirtualUpdateBench& run, const std::string& text) {
    const auto texts = run.StatusTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

struct CutPoint {
    const char* name;
    std::function<bool(const VirtualUpdateBench&)> reached;
    bool beforeTheWriteBackEnded = true;  // the ECU's records are wiped; the journal must bring them back
};

class JournalRecovery : public ::testing::TestWithParam<CutPoint> {};

TEST_P(JournalRecovery, ARunCutOffIsCompletedFromTheJournalByTheNextRun) {
    TemporaryFolder root;
    FolderStorage storage(root.File("state"));
    std::optional<Journal> firstProgram(std::in_place, storage);
    VirtualUpdateBench run(EcuOfModel(0, 0));
    run.dlg().journalSettings.journal = &*firstProgram;
    run.bench.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 9, 0, 0));
    run.Start();
    ASSERT_TRUE(run.RunUntil([&] { return GetParam().reached(run); }, 20 * 60 * 1000)) << Listed(run.StatusTexts());
    EXPECT_EQ(LostRecords(run.simulator.Report()).empty(), !GetParam().beforeTheWriteBackEnded);

    Journal secondProgram(storage);
    run.host().ScriptYesNoAnswer(MessageResult::Yes);
    run.bench.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 9, 30, 0));
    RestartProgram(run, firstProgram, secondProgram);
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    ASSERT_EQ(run.StatusTexts().back(), Text::FinishedOk) << Listed(run.StatusTexts());

    const auto boxes = run.host().MessageBoxes();
    const auto questions = std::count_if(boxes.begin(), boxes.end(),
                                         [](const auto& box) { return box.buttons == MessageButtons::YesNo; });
    // The operator is asked only where the journal holds data the ECU has lost.
    EXPECT_EQ(questions, GetParam().beforeTheWriteBackEnded ? 1 : 0);
    EXPECT_EQ(LostRecords(run.simulator.Report()), std::vector<std::string>{});

    const auto listing = secondProgram.List();
    ASSERT_EQ(listing.size(), 2u);
    EXPECT_EQ(listing[0].header.progress, JournalProgress::Superseded);
    EXPECT_EQ(listing[1].header.progress, JournalProgress::Finished);
}

INSTANTIATE_TEST_SUITE_P(
    , JournalRecovery,
    ::testing::Values(
        CutPoint{"MidBaseArea", [](const auto& run) { return Shown(run, "Writing (Base) - 50%"); }},
        CutPoint{"AfterTheBaseReset",
                 [](const auto& run) { return !run.FramesStartingWith({0x21, 0x83, 0x00}).empty(); }},
        CutPoint{"MidWriteBack", [](const auto& run) { return Shown(run, Text::WritingEcuData); }},
        CutPoint{"MidUpperArea", [](const auto& run) { return Shown(run, "Writing (Upper) - 50%"); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JournalRecoveryWire, UninterruptedRunSendsTheSameBytesWithTheJournal) {
    std::vector<std::vector<SimulatedLine::WireFrame>> wires;
    TemporaryFolder root;
    FolderStorage storage(root.File("state"));
    Journal journal(storage);
    for (Journal* used : {static_cast<Journal*>(nullptr), &journal}) {
        VirtualUpdateBench run(EcuOfModel(0, 0));
        run.dlg().journalSettings.journal = used;
        run.Start();
        ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
        ASSERT_EQ(run.StatusTexts().back(), Text::FinishedOk);
        wires.push_back(run.line.Writes());
    }
    ASSERT_EQ(wires[0].size(), wires[1].size());
    for (std::size_t i = 0; i < wires[0].size(); ++i) {
        EXPECT_EQ(wires[0][i].bytes, wires[1][i].bytes) << "frame " << i;
        EXPECT_EQ(wires[0][i].baud, wires[1][i].baud) << "frame " << i;
    }
    ASSERT_EQ(journal.List().size(), 1u);
    EXPECT_EQ(journal.List()[0].header.progress, JournalProgress::Finished);
}

} // namespace

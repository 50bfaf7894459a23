#include "Workshop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Texts.h"

JournalSettings Unattended() {
    JournalSettings settings;
    settings.unattended = true;
    return settings;
}

JournalSettings Resuming(const std::string& journalPath) {
    JournalSettings settings = Unattended();
    settings.resumeFrom = journalPath;
    return settings;
}

JournalSettings NotResuming() {
    JournalSettings settings = Unattended();
    settings.noResume = true;
    return settings;
}

std::string LeaveInterruptedJournal(Storage& storage, const JournalHeader& header) {
    auto entry = std::make_unique<JournalEntry>();
    entry->header = header;
    entry->header.modelCode = 0;
    entry->header.imageIndex = 1;
    entry->header.softwareDate = "Mar 14 2010";
    entry->header.startedAt = {2026, 12, 9, 8, 0, 0};
    Journal earlier(storage);  // gone, like the program that wrote it
    std::string reason;
    EXPECT_TRUE(earlier.Begin(*entry, reason)) << reason;
    EXPECT_TRUE(earlier.MarkProgrammingStarted(reason)) << reason;
    return earlier.CurrentPath();
}

Workshop::Workshop(sim::SimOptions ecu) : storage(root.File("state")), run(std::move(ecu)), journals_(storage) {}

Workshop::Workshop(sim::SimOptions ecu, Storage& stationJournals)
    : storage(root.File("state")), run(std::move(ecu)), journals_(stationJournals) {}

void Workshop::KillProgram() {
    run.dlg().OnClose();
    run.dlg().journalSettings.journal = nullptr;
    run.dlg().restoreSource.reset();
    journal.reset();
}

void Workshop::StartProgram(JournalSettings settings) {
    TestBench& b = run.bench;
    if (started_) {
        KillProgram();
        run.simulator.PowerCycle(b.clock.NowMs() * 1000);
        b.dlg = std::make_unique<CFlashDlg>(PlatformServices{b.host, b.clock, b.link, b.ports, b.system});
    }
    // Each program a few minutes after the one before, on the same day.
    b.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 9 + programs_ / 6, 10 * (programs_ % 6), 0));
    ++programs_;
    started_ = true;
    journal.reset();  // the old program's journal goes with it
    journal = std::make_unique<Journal>(journals_);
    settings.journal = journal.get();
    b.dlg->journalSettings = settings;
    firstFrameOfProgram_ = run.line.Writes().size();
    run.Start();
}

int Workshop::ExitCode() {
    const std::vector<std::string> texts = run.StatusTexts();
    return run.dlg().RunEnded() && !texts.empty() && texts.back() == Text::FinishedOk ? 0 : 1;
}

std::vector<std::string> Workshop::RecordProblems(std::vector<std::string> historyVersions,
                                                  std::vector<std::string> leftOut) {
    return ::RecordProblems(run.simulator.Report(),
                            ExpectedRecords{run.LocalTime(), std::move(historyVersions), "tester", std::move(leftOut)});
}

std::size_t Workshop::FramesAfterTheStage0Read() const {
    const std::vector<SimulatedLine::WireFrame> frames = run.line.Writes();
    std::size_t after = 0;
    bool routine09 = false;
    for (std::size_t i = firstFrameOfProgram_; i < frames.size(); ++i) {
        const std::vector<uint8_t>& bytes = frames[i].bytes;
        if (routine09) ++after;
        if (bytes.size() > 2 && bytes[1] == 0x31 && bytes[2] == 0x09) routine09 = true;
    }
    return after;
}

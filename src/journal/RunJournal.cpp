#include <cstring>
#include <ctime>
#include <string>

#include "app/CFlashDlg.h"
#include "journal/Journal.h"
#include "journal/JournalTexts.h"
#include "link/RequestTable.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"

namespace {

std::string FieldText(const char* field, std::size_t size) {
    const void* zero = std::memchr(field, 0, size);
    return std::string(field, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : size);
}

}  // namespace

bool CFlashDlg::BeginJournal() {
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) return true;

    auto entry = std::make_unique<JournalEntry>();
    JournalHeader& header = entry->header;
    if (restoreSource) {
        // Who the ECU is comes from the run whose data this one writes back (its VIN may read
        // blank now): a second interruption stays recoverable.
        header = restoreSource->entry.header;
        entry->hasRecordsReadAtStart = snapshotReadAtStart != nullptr;
        if (snapshotReadAtStart) {
            entry->recordsReadAtStart = snapshotReadAtStart->snapshot;
            entry->marksReadAtStart = snapshotReadAtStart->marks;
        }
    } else {
        header.vin = ecuDataSnapshot.ident90;
        header.hardwareSerial = ecuDataSnapshot.ident92;
        header.modelCode = modelCode;
        header.variant = variant;
        header.softwareDate = FieldText(ecuIdentification.softwareDate, sizeof ecuIdentification.softwareDate);
        header.softwareTime = FieldText(ecuIdentification.softwareTime, sizeof ecuIdentification.softwareTime);
        header.softwareVersion = FieldText(ecuIdentification.currentVersion, sizeof ecuIdentification.currentVersion);
    }
    header.progress = JournalProgress::Saved;
    header.imageIndex = imageIndex;
    header.startedAt = {};
    if (std::tm now{}; platform.clock.LocalTime(now))
        if (const std::optional<JournalTime> utc = JournalTimeFromLocal(now)) header.startedAt = *utc;
    entry->snapshot = ecuDataSnapshot;
    entry->savedMarks = savedMarks;

    std::string reason;
    if (journal->Begin(*entry, reason)) {
        // Earlier runs of this ECU that erased nothing hold nothing the ECU lacks. The journal
        // this run writes back stays needed until this run's own carries its programming mark.
        std::vector<JournalProblem> problems;
        journal->Supersede(header.Identity(), {JournalProgress::Saved}, problems);
        return true;
    }
    const std::string why =
        std::string(Text::JournalNotSaved) + ":\n" + reason + "\n" + Text::JournalFolder + journal->Folder();
    if (!journalSettings.unattended &&
        platform.host.ShowMessageBox(why + "\n\n" + Text::ProgramWithoutCopy, "", MessageIcon::Exclamation,
                                     MessageButtons::YesNo) == MessageResult::Yes)
        return true;
    FinishWithStatus(std::string(Text::NotProgrammedNoJournal) + " (" + reason + ")");
    return false;
}

bool CFlashDlg::RecordProgrammingStart() {
    Journal* journal = journalSettings.journal;
    if (journal == nullptr || !journal->Active() || journal->Current()->header.progress != JournalProgress::Saved)
        return true;
    std::string reason;
    if (!journal->MarkProgrammingStarted(reason)) {
        FinishWithStatus(std::string(Text::NotProgrammedNoJournal) + " (" + reason + ")");
        return false;
    }
    // This run's journal holds the written-back data now, its mark on disk: the one it came
    // from is needed no more. Should that mark fail, both hold the same data for this ECU.
    ReleaseRestoreSource();
    return true;
}

void CFlashDlg::AskForProgrammingSession() {
    if (sessionStage == Stage::BaseProgramming) {
        if (!RecordProgrammingStart()) return;
        programmingStarted = 1;
    }
    MakePending(Row::StartSession85);
}

void CFlashDlg::ReleaseRestoreSource() {
    Journal* journal = journalSettings.journal;
    if (!restoreSource || restoreSource->released || journal == nullptr) return;
    std::string reason;
    journal->MarkSuperseded(*restoreSource, reason);
    restoreSource->lock.reset();
    restoreSource->released = true;
}

// Failures here cost no data: a mark that did not reach the disk leaves the journal looking less
// far on, so a later run at most offers data the ECU already holds.
void CFlashDlg::RecordJournalProgress(JournalProgress progress) {
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) return;
    std::string reason;
    switch (progress) {
    case JournalProgress::WriteBackFinished:
        if (journal->Active()) journal->MarkWriteBackFinished(reason);
        break;
    case JournalProgress::Finished: {
        // The ECU holds its records and this update: no earlier journal of it is needed again,
        // with or without a journal of this run.
        if (journal->Active()) journal->MarkFinished(reason);
        ReleaseRestoreSource();
        const JournalHeader* header = journal->Active() ? &journal->Current()->header
                                      : restoreSource   ? &restoreSource->entry.header
                                                        : nullptr;
        const EcuIdentity ecu =
            header ? header->Identity() : EcuIdentity{ecuDataSnapshot.ident90, ecuDataSnapshot.ident92};
        std::vector<JournalProblem> problems;
        journal->Supersede(
            ecu, {JournalProgress::Saved, JournalProgress::ProgrammingStarted, JournalProgress::WriteBackFinished},
            problems);
        break;
    }
    default: break;
    }
}

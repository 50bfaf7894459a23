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
        // This run's journal holds the interrupted run's data from now on, and earlier runs of this
        // ECU that erased nothing hold nothing the ECU lacks.
        if (restoreSource) {
            journal->MarkSuperseded(*restoreSource, reason);
            restoreSource->lock.reset();  // it holds nothing any run needs now
        }
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
    if (journal->MarkProgrammingStarted(reason)) return true;
    FinishWithStatus(std::string(Text::NotProgrammedNoJournal) + " (" + reason + ")");
    return false;
}

void CFlashDlg::AskForProgrammingSession() {
    if (sessionStage == Stage::BaseProgramming && !RecordProgrammingStart()) return;
    MakePending(Row::StartSession85);
}

// Failures here cost no data: a mark that did not reach the disk leaves the journal looking less
// far on, so a later run at most offers data the ECU already holds.
void CFlashDlg::RecordJournalProgress(JournalProgress progress) {
    Journal* journal = journalSettings.journal;
    if (journal == nullptr || !journal->Active()) return;
    std::string reason;
    switch (progress) {
    case JournalProgress::WriteBackFinished: journal->MarkWriteBackFinished(reason); break;
    case JournalProgress::Finished: {
        journal->MarkFinished(reason);
        // The ECU holds its records and this update: no earlier journal of it is needed again.
        std::vector<JournalProblem> problems;
        journal->Supersede(
            journal->Current()->header.Identity(),
            {JournalProgress::Saved, JournalProgress::ProgrammingStarted, JournalProgress::WriteBackFinished},
            problems);
        break;
    }
    default: break;
    }
}

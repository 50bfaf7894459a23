#include <cstring>
#include <ctime>
#include <string>

#include "app/CFlashDlg.h"
#include "journal/Journal.h"
#include "journal/JournalTexts.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"

namespace {

JournalTime JournalTimeOf(const std::tm& t) {
    return {static_cast<uint16_t>(t.tm_year + 1900), static_cast<uint8_t>(t.tm_mon + 1), static_cast<uint8_t>(t.tm_mday),
            static_cast<uint8_t>(t.tm_hour), static_cast<uint8_t>(t.tm_min), static_cast<uint8_t>(t.tm_sec)};
}

std::string FieldText(const char* field, std::size_t size) {
    const void* zero = std::memchr(field, 0, size);
    return std::string(field, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : size);
}

} // namespace

bool CFlashDlg::BeginJournal() {
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) return true;

    auto entry = std::make_unique<JournalEntry>();
    JournalHeader& header = entry->header;
    std::copy(ecuDataSnapshot.ident90.begin(), ecuDataSnapshot.ident90.end(), header.vin.begin());
    std::copy(ecuDataSnapshot.ident92.begin(), ecuDataSnapshot.ident92.end(), header.hardwareSerial.begin());
    header.modelCode = modelCode;
    header.variant = variant;
    header.softwareDate = FieldText(ecuIdentification.softwareDate, sizeof ecuIdentification.softwareDate);
    header.softwareTime = FieldText(ecuIdentification.softwareTime, sizeof ecuIdentification.softwareTime);
    header.softwareVersion = FieldText(ecuIdentification.currentVersion, sizeof ecuIdentification.currentVersion);
    header.imageIndex = imageIndex;
    if (std::tm now{}; platform.clock.LocalTime(now)) header.startedAt = JournalTimeOf(now);
    entry->snapshot = ecuDataSnapshot;
    entry->savedMarks = savedMarks;

    std::string reason;
    if (journal->Begin(*entry, reason)) {
        // This run's journal holds the interrupted run's data from now on.
        if (restoreSource) journal->MarkSuperseded(restoreSource->path, reason);
        return true;
    }
    const std::string why = std::string(Text::JournalNotSaved) + ":\n" + reason + "\n" + Text::JournalFolder +
                            journal->Folder();
    if (!journalSettings.unattended &&
        platform.host.ShowMessageBox(why + "\n\n" + Text::ProgramWithoutCopy, "", MessageIcon::Exclamation,
                                     MessageButtons::YesNo) == MessageResult::Yes)
        return true;
    FinishWithStatus(std::string(Text::NotProgrammedNoJournal) + " (" + reason + ")");
    return false;
}

// Failures here cost no data: a mark that did not reach the disk leaves the journal looking less
// far on, so a later run at most offers data the ECU already holds.
void CFlashDlg::RecordJournalProgress(JournalProgress progress) {
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) return;
    std::string reason;
    switch (progress) {
    case JournalProgress::ProgrammingStarted: journal->MarkProgrammingStarted(reason); break;
    case JournalProgress::WriteBackFinished: journal->MarkWriteBackFinished(reason); break;
    case JournalProgress::Finished: journal->MarkFinished(reason); break;
    default: break;
    }
}

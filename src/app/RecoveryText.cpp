#include "app/RecoveryText.h"

#include <algorithm>

#include "app/CFlashDlg.h"
#include "app/GuidanceTexts.h"
#include "app/Texts.h"
#include "journal/Journal.h"
#include "platform/DialogHost.h"

std::string CommandLineWord(std::string_view path) {
#ifdef _WIN32
    static constexpr std::string_view kPlainMarks = "/\\._-+:,=@%";
#else
    static constexpr std::string_view kPlainMarks = "/._-+:,=@%";  // a backslash escapes in a POSIX shell
#endif
    const auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               kPlainMarks.find(c) != std::string_view::npos;
    };
    if (!path.empty() && std::all_of(path.begin(), path.end(), plain)) return std::string(path);
#ifdef _WIN32
    // A Windows path cannot hold '"'.
    return "\"" + std::string(path) + "\"";
#else
    // Nothing is special between single quotes in a POSIX shell ('$', '`', '!', '"', '\\'); a
    // quote itself ends them, is written escaped, and opens them again.
    std::string word = "'";
    for (const char c : path) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
#endif
}

std::string ResumeCommandFor(std::string_view journalPath) {
    return std::string(Text::ResumeCommand) + CommandLineWord(journalPath);
}

std::string RecoverySteps(std::string_view journalPath, bool ownJournal) {
    if (journalPath.empty()) return std::string(Text::RunKeptNoJournal) + "\n" + Text::RunAgain;
    return std::string(ownJournal ? Text::RunJournal : Text::DataJournal) + std::string(journalPath) + "\n" +
           Text::FinishFromJournal + "\n  " + ResumeCommandFor(journalPath);
}

std::string EcuRecoveryText(std::string_view journalPath, bool ownJournal) {
    return std::string(Text::EcuNotProgrammed) + "\n" + RecoverySteps(journalPath, ownJournal);
}

const char* EcuStateName(EcuState state) {
    switch (state) {
    case EcuState::Untouched: return "untouched";
    case EcuState::Programmed: return "programmed";
    case EcuState::Unprogrammed: return "unprogrammed";
    }
    return "untouched";
}

bool CFlashDlg::EcuBeingChanged() const { return programmingStarted != 0 && runEnded == 0; }

EcuState CFlashDlg::EcuStateNow() const {
    if (finishedOk != 0) return EcuState::Programmed;
    return programmingStarted != 0 ? EcuState::Unprogrammed : EcuState::Untouched;
}

std::string CFlashDlg::JournalPath() const {
    const Journal* journal = journalSettings.journal;
    return journal && journal->Active() ? journal->CurrentPath() : std::string();
}

std::string CFlashDlg::JournalToResume() const {
    if (finishedOk != 0) return {};
    // Once programming has started, this run's own journal holds the ECU's data (its programming
    // mark is on disk); a run that keeps none leaves it where it was read from.
    if (programmingStarted != 0) {
        if (std::string own = JournalPath(); !own.empty())
            return NeedsRestore(journalSettings.journal->Current()->header) ? own : std::string();
    }
    return restoreSource ? restoreSource->path : std::string();
}

bool CFlashDlg::DataWrittenBack() const {
    const Journal* journal = journalSettings.journal;
    return journal && journal->Active() && journal->Current()->header.progress == JournalProgress::WriteBackFinished;
}

std::string CFlashDlg::ResumeSteps(bool window) const {
    // Cut off after the write-back: the ECU holds its data again and a plain run finishes it.
    if (DataWrittenBack()) return std::string(Text::DataWrittenBack) + "\n" + Text::RunAgain;
    const std::string journal = JournalToResume();
    std::string steps = RecoverySteps(journal, journal == JournalPath());
    if (window && !journal.empty()) steps += std::string("\n") + Text::WindowOffersJournal;
    return steps;
}

std::string CFlashDlg::RecoveryText() const { return std::string(Text::EcuNotProgrammed) + "\n" + ResumeSteps(false); }

std::string CFlashDlg::ClosingWords(bool window) const {
    switch (EcuStateNow()) {
    case EcuState::Programmed: return {};
    case EcuState::Unprogrammed: return std::string(Text::EcuNotProgrammed) + "\n" + ResumeSteps(window);
    case EcuState::Untouched: break;
    }
    if (!JournalToResume().empty()) return std::string(Text::ChangedNothingStillBlank) + "\n" + ResumeSteps(window);
    return sessionStage != Stage::Identification ? Text::ChangedNothing : "";
}

void CFlashDlg::TellEcuLeftUnprogrammed() {
    if (RunEnded() && EcuStateNow() == EcuState::Unprogrammed) ShowRecoveryBox();
}

// Once per run: a box of a lost line or of the session's end may have told it already, while
// the operator's close question was still open.
void CFlashDlg::ShowRecoveryBox() {
    if (recoveryTold.exchange(true)) return;
    platform.host.ShowMessageBox(ClosingWords(true), Text::EcuNotProgrammedCaption, MessageIcon::Exclamation,
                                 MessageButtons::Ok);
}

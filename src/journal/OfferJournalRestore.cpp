#include <string>
#include <vector>

#include "app/CFlashDlg.h"
#include "journal/Journal.h"
#include "journal/JournalDescription.h"
#include "journal/JournalTexts.h"
#include "platform/DialogHost.h"

namespace {

std::string ProblemText(const JournalProblem& problem) {
    std::string text = std::string(Text::JournalUnusable) + problem.path + "\n" + problem.text;
    if (!problem.keptAs.empty()) text += "\n" + std::string(Text::JournalKeptAs) + problem.keptAs;
    return text;
}

} // namespace

// After the stage-0 read, before the image is chosen. What was read now may be what an erase
// left of an interrupted run: the data that run saved is then the ECU's own.
bool CFlashDlg::OfferJournalRestore() {
    restoreSource.reset();
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) return true;
    DialogHost& host = platform.host;
    const auto& vin = ecuDataSnapshot.ident90;
    const auto& serial = ecuDataSnapshot.ident92;

    std::vector<JournalProblem> problems;
    // Cut off after its write-back: the records read now are the ECU's own.
    journal->SupersedeWrittenBack(vin, serial, problems);

    std::unique_ptr<JournalFile> candidate;
    bool ask = !journalSettings.unattended;
    if (!journalSettings.resumeFrom.empty()) {
        JournalProblem problem;
        candidate = journal->Load(journalSettings.resumeFrom, problem);
        if (!candidate) problems.push_back(problem);
        ask = false;  // the operator named it
    } else if (!(candidate = journal->FindUnfinishedFor(vin, serial, problems))) {
        candidate = journal->FindUnfinished(problems);
        // Another ECU's journal is never used without the operator saying it is this ECU.
        if (candidate && journalSettings.unattended) {
            host.ShowMessageBox(Text::JournalLeftUnused + candidate->path, "", MessageIcon::Information,
                                MessageButtons::Ok);
            candidate.reset();
        }
    }
    for (const JournalProblem& problem : problems)
        host.ShowMessageBox(ProblemText(problem), "", MessageIcon::Exclamation, MessageButtons::Ok);
    if (!candidate && !journalSettings.resumeFrom.empty()) {
        // The operator asked for a restore that cannot be made: programming now would write back
        // what the erase left.
        FinishWithStatus(Text::NamedJournalUnusable);
        return false;
    }
    if (!candidate) return true;

    const std::string question = std::string(Text::InterruptedRunFound) + "\n\n" +
                                 DescribeJournal(candidate->entry.header) + "\n\n" + Text::InterruptedRunQuestion;
    if (ask && host.ShowMessageBox(question, "", MessageIcon::Exclamation, MessageButtons::YesNo) != MessageResult::Yes)
        return true;

    ecuDataSnapshot = candidate->entry.snapshot;
    savedMarks = candidate->entry.savedMarks;
    SetStatusText(Text::JournalRestoring + JournalTimeText(candidate->entry.header.startedAt));
    restoreSource = std::move(candidate);
    return true;
}

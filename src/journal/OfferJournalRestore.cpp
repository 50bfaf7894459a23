#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ecu/EcuIdentity.h"
#include "ecu/ModelNames.h"
#include "ecu/ProgrammingHistory.h"
#include "ecu/VersionPolicy.h"
#include "journal/ChooseJournal.h"
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

std::string BothIdentities(const JournalHeader& journal, const EcuIdentity& ecu) {
    return std::string(Text::JournalHeading) + "\n" + DescribeJournal(journal) + "\n\n" + Text::ThisEcuHeading + "\n" +
           DescribeIdentity(ecu);
}

// Why a journal the operator named holds nothing to write back.
const char* WhyNothingToWriteBack(JournalProgress progress) {
    switch (progress) {
    case JournalProgress::ProgrammingStarted: return "";
    case JournalProgress::Saved: return Text::JournalErasedNothing;
    case JournalProgress::WriteBackFinished: return Text::JournalWrittenBack;
    case JournalProgress::Finished: return Text::JournalFinished;
    case JournalProgress::Superseded: return Text::JournalSuperseded;
    }
    return "";
}

// One journal among several, for the operator to tell them apart: file, ECU, model, time, image.
std::string CandidateText(const JournalFile& file) {
    const JournalHeader& h = file.entry.header;
    return file.path + "\n" + DescribeJournal(h) + "\nModel code " + std::to_string(h.modelCode) + ", variant " +
           std::to_string(h.variant) + "; image: " + ModelName(h.imageIndex);
}

std::optional<int32_t> IntactField(int32_t value) {
    if (value == 0xFF) return std::nullopt;
    return value;
}

CalendarDay LocalDayOf(const JournalTime& utc) {
    const std::string text = JournalTimeText(utc);  // "2026-12-10 13:06:03", local time
    CalendarDay day;
    if (std::sscanf(text.c_str(), "%d-%d-%d", &day.year, &day.month, &day.day) != 3) return {};
    return day;
}

}  // namespace

EcuReading CFlashDlg::ReadingForJournals() const {
    EcuReading ecu;
    ecu.identity = {ecuDataSnapshot.ident90, ecuDataSnapshot.ident92};
    ecu.infoBlock = infoBlock;
    if (modelKnown == 1) {
        ecu.modelCode = IntactField(modelCode);
        ecu.variant = IntactField(variant);
    }
    ecu.newestHistoryEntry = NewestHistoryDay(std::span<const uint8_t, kHistoryEntries * kHistoryEntrySize>(
        ecuDataSnapshot.local69.data(), kHistoryEntries * kHistoryEntrySize));
    return ecu;
}

// After the stage-0 read, before the image is chosen. The records read now may be what an erase
// left of an interrupted run: that run's journal then holds the ECU's own. Which journal, if any,
// is one decision (ChooseJournal); this carries it out.
bool CFlashDlg::OfferJournalRestore() {
    restoreSource.reset();
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) {
        if (infoBlock != InfoBlockState::Erased) return true;
        FinishWithStatus(Text::UnknownEcu);
        return false;
    }
    DialogHost& host = platform.host;
    const EcuReading ecu = ReadingForJournals();

    std::vector<JournalProblem> problems;
    // Cut off after its write-back: the records read now are the ECU's own.
    journal->Supersede(ecu.identity, {JournalProgress::WriteBackFinished}, problems);

    std::vector<std::unique_ptr<JournalFile>> files;
    std::vector<std::string> inUse;
    const bool named = !journalSettings.resumeFrom.empty();
    if (named) {
        JournalProblem problem;
        if (auto file = journal->Load(journalSettings.resumeFrom, problem))
            files.push_back(std::move(file));
        else
            problems.push_back(problem);
    } else if (!journalSettings.noResume) {
        files = journal->FindInterrupted(problems, &inUse);
    }
    for (const JournalProblem& problem : problems)
        host.ShowMessageBox(ProblemText(problem), "", MessageIcon::Exclamation, MessageButtons::Ok);
    if (named && files.empty()) {
        FinishWithStatus(Text::NamedJournalUnusable);
        return false;
    }

    std::vector<JournalCandidate> candidates;
    candidates.reserve(files.size() + inUse.size());
    for (const auto& file : files)
        candidates.push_back({file->path, file->entry.header, LocalDayOf(file->entry.header.startedAt)});
    for (const std::string& path : inUse) {
        auto file = std::make_unique<JournalFile>();
        file->path = path;
        const std::string vin = Journal::VinOfFileName(path);
        std::copy(vin.begin(), vin.end(), file->entry.header.vin.begin());
        candidates.push_back({path, file->entry.header, {}, true});
        files.push_back(std::move(file));
    }
    const JournalChoice choice =
        ChooseJournal(ecu, candidates, {journalSettings.unattended, named, journalSettings.noResume});

    const auto say = [&](const std::string& text) {
        host.ShowMessageBox(text, "", MessageIcon::Exclamation, MessageButtons::Ok);
    };
    for (std::size_t i : choice.othersUnused)
        host.ShowMessageBox(Text::JournalLeftUnused + files[i]->path, "", MessageIcon::Information, MessageButtons::Ok);
    for (std::size_t i : choice.leftUnused) say(Text::JournalOlderThanHistory + files[i]->path);

    std::unique_ptr<JournalFile> chosen;
    switch (choice.action) {
    case JournalChoiceAction::ProgramAsRead: return true;
    case JournalChoiceAction::Refuse: return RefuseForJournal(choice, files, ecu);
    case JournalChoiceAction::Use: chosen = std::move(files[choice.candidates.front()]); break;
    case JournalChoiceAction::Ask: {
        JournalFile& file = *files[choice.candidates.front()];
        const JournalHeader& header = file.entry.header;
        std::string question = ecu.identity.Known()
                                   ? std::string(Text::InterruptedRunOfThisEcu) + "\n\n" + DescribeJournal(header) +
                                         "\n\n" + Text::WriteBackQuestion
                                   : std::string(Text::InterruptedRunFound) + "\n\n" +
                                         BothIdentities(header, ecu.identity) + "\n\n" + Text::InterruptedRunQuestion;
        if (ecu.identity.Known() && !choice.defaultYes)
            question = std::string(Text::JournalOlderThanHistory) + file.path + "\n\n" + question;
        if (host.ShowMessageBox(question, "", MessageIcon::Exclamation,
                                choice.defaultYes ? MessageButtons::YesNoDefaultYes : MessageButtons::YesNo) ==
            MessageResult::Yes)
            chosen = std::move(files[choice.candidates.front()]);
        break;
    }
    case JournalChoiceAction::Pick: {
        std::string list = std::string(Text::SeveralInterruptedRuns) + "\n";
        for (std::size_t n = 0; n < choice.candidates.size(); ++n)
            list += "\n" + std::to_string(n + 1) + ". " + CandidateText(*files[choice.candidates[n]]) + "\n";
        list += "\n" + DescribeIdentity(ecu.identity).insert(0, std::string(Text::ThisEcuHeading) + "\n");
        say(list);
        for (std::size_t n = 0; n < choice.candidates.size() && !chosen; ++n)
            if (host.ShowMessageBox(std::string(Text::PickJournalQuestion) + std::to_string(n + 1) + ": " +
                                        files[choice.candidates[n]]->path + "?",
                                    "", MessageIcon::Exclamation, MessageButtons::YesNo) == MessageResult::Yes)
                chosen = std::move(files[choice.candidates[n]]);
        break;
    }
    }

    if (!chosen) {
        if (!choice.blankWithoutJournal) return true;
        // Erased: without that run's journal nobody can tell which firmware this ECU needs.
        say(Text::BlankEcuNeedsJournal + files[choice.candidates.front()]->path);
        FinishWithStatus(Text::UnknownEcu);
        return false;
    }
    return TakeJournal(std::move(chosen));
}

bool CFlashDlg::RefuseForJournal(const JournalChoice& choice, const std::vector<std::unique_ptr<JournalFile>>& files,
                                 const EcuReading& ecu) {
    DialogHost& host = platform.host;
    const auto say = [&](const std::string& text) {
        host.ShowMessageBox(text, "", MessageIcon::Exclamation, MessageButtons::Ok);
    };
    const JournalFile* first = choice.candidates.empty() ? nullptr : files[choice.candidates.front()].get();
    switch (choice.refusal) {
    case JournalRefusal::NamedHoldsNothing:
        if (first)
            say(std::string(Text::JournalUnusable) + first->path + "\n" +
                WhyNothingToWriteBack(first->entry.header.progress));
        FinishWithStatus(Text::NamedJournalUnusable);
        break;
    case JournalRefusal::NamedOfAnotherEcu:
        if (first)
            say(Text::JournalOfAnotherEcu + first->path + "\n\n" + BothIdentities(first->entry.header, ecu.identity));
        FinishWithStatus(Text::NamedJournalOfAnotherEcu);
        break;
    case JournalRefusal::MaybeInterrupted:
        if (first)
            say(Text::MaybeInterruptedEcu + first->path + "\n\n" + BothIdentities(first->entry.header, ecu.identity) +
                "\n\n" + Text::WaysOn);
        FinishWithStatus(Text::NotProgrammedMaybeInterrupted);
        break;
    case JournalRefusal::SeveralCandidates: {
        std::string text = std::string(Text::SeveralInterruptedRuns) + "\n";
        for (std::size_t i : choice.candidates) text += "\n" + CandidateText(*files[i]) + "\n";
        say(text + "\n" + Text::WaysOnSeveral);
        FinishWithStatus(Text::NotProgrammedSeveralJournals);
        break;
    }
    case JournalRefusal::JournalInUse: {
        std::string text = Text::JournalOfThisEcuInUse;
        for (std::size_t i : choice.candidates) text += "\n" + files[i]->path;
        say(text + "\n\n" + Text::WaitForTheOtherRun);
        FinishWithStatus(Text::NotProgrammedJournalInUse);
        break;
    }
    case JournalRefusal::UnknownEcu:
    case JournalRefusal::None:
        if (first) say(Text::BlankEcuNeedsJournal + first->path);
        FinishWithStatus(Text::UnknownEcu);
        break;
    }
    return false;
}

// The journal accepted: locked for this run before anything is written, its data read under the
// lock, and, for an ECU whose info block cannot tell, its identity taken.
bool CFlashDlg::TakeJournal(std::unique_ptr<JournalFile> chosen) {
    DialogHost& host = platform.host;
    std::string reason;
    switch (journalSettings.journal->Hold(*chosen, reason)) {
    case Journal::HoldOutcome::Held: break;
    case Journal::HoldOutcome::InUse:
    case Journal::HoldOutcome::Changed:
        host.ShowMessageBox(std::string(Text::JournalTakenMeanwhile) + chosen->path + "\n" + reason, "",
                            MessageIcon::Exclamation, MessageButtons::Ok);
        FinishWithStatus(Text::NotProgrammedJournalNotHeld);
        return false;
    case Journal::HoldOutcome::Failed:
        host.ShowMessageBox(std::string(Text::JournalCannotBeLocked) + chosen->path + "\n" + reason + "\n" +
                                Text::FolderCannotHoldJournals + journalSettings.journal->Folder(),
                            "", MessageIcon::Exclamation, MessageButtons::Ok);
        FinishWithStatus(Text::NotProgrammedJournalNotHeld);
        return false;
    }
    if (infoBlock != InfoBlockState::Intact) {
        if (const char* refused = TakeIdentityOf(*chosen)) {
            FinishWithStatus(refused);
            return false;
        }
    }
    snapshotReadAtStart = std::make_unique<SnapshotCopy>(SnapshotCopy{ecuDataSnapshot, savedMarks});
    ecuDataSnapshot = chosen->entry.snapshot;
    savedMarks = chosen->entry.savedMarks;
    SetStatusText(Text::JournalRestoring + JournalTimeText(chosen->entry.header.startedAt));
    restoreSource = std::move(chosen);
    return true;
}

// An ECU whose info block reads erased or half-written takes the identity its interrupted run
// read: model code, variant, software date, time and version, as if read now (the date is then
// the one the policy checks after each reset). That identity must select the image the journal
// was saved for. Null when it does and may be updated (the identity is then taken); else the
// text that ends the run, the identity read now left as it was.
const char* CFlashDlg::TakeIdentityOf(const JournalFile& file) {
    const JournalHeader& header = file.entry.header;
    if (!ModelMayBeUpdated(header.modelCode, header.variant)) return Text::UnknownEcu;
    if (ImageForModel(header.modelCode, header.variant) != header.imageIndex) {
        platform.host.ShowMessageBox(Text::JournalImageDiffers + file.path, "", MessageIcon::Exclamation,
                                     MessageButtons::Ok);
        return Text::UnknownEcu;
    }
    char date[sizeof ecuIdentification.softwareDate] = {};
    header.softwareDate.copy(date, sizeof date - 1);
    if (!IsEcuSoftwareOlder(date, header.modelCode)) return Text::LaterVersion;

    modelKnown = 1;
    modelCode = header.modelCode;
    variant = header.variant;
    const auto copyText = [](const std::string& text, auto& field) {
        std::fill(std::begin(field), std::end(field), '\0');
        text.copy(field, sizeof field - 1);
    };
    copyText(header.softwareDate, ecuIdentification.softwareDate);
    copyText(header.softwareTime, ecuIdentification.softwareTime);
    copyText(header.softwareVersion, ecuIdentification.currentVersion);
    char version[4] = {};
    header.softwareVersion.copy(version, sizeof version);
    softwareVersionNumber = SoftwareVersionNumber(version);
    return nullptr;
}

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ecu/EcuIdentity.h"
#include "ecu/VersionPolicy.h"
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

// Why a journal the operator named holds nothing to write back; empty when it does.
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

}  // namespace

// After the stage-0 read, before the image is chosen. The records read now may be what an erase
// left of an interrupted run: that run's journal then holds the ECU's own. A journal is used only
// for the same known ECU, or, for an ECU whose VIN an erase wiped, when the operator says so.
bool CFlashDlg::OfferJournalRestore() {
    restoreSource.reset();
    Journal* journal = journalSettings.journal;
    if (journal == nullptr) return true;
    DialogHost& host = platform.host;
    const EcuIdentity ecu{ecuDataSnapshot.ident90, ecuDataSnapshot.ident92};

    std::vector<JournalProblem> problems;
    // Cut off after its write-back: the records read now are the ECU's own.
    journal->Supersede(ecu, {JournalProgress::WriteBackFinished}, problems);

    std::unique_ptr<JournalFile> chosen;
    std::unique_ptr<JournalFile> unused;  // an interrupted run's journal this ECU may belong to
    if (!journalSettings.resumeFrom.empty()) {
        JournalProblem problem;
        chosen = journal->Load(journalSettings.resumeFrom, problem);
        if (!chosen) problems.push_back(problem);
    } else if (!journalSettings.noResume) {
        std::vector<std::unique_ptr<JournalFile>> interrupted = journal->FindInterrupted(problems);
        if (!ecu.Known() && !interrupted.empty()) chosen = std::move(interrupted.front());
        for (auto& file : interrupted) {
            if (ecu.Known() && SameEcu(file->entry.header.Identity(), ecu)) {
                chosen = std::move(file);
                break;
            }
        }
        // Another ECU's journal is never offered; an unattended run says it left one unused.
        if (!chosen && !interrupted.empty() && ecu.Known() && journalSettings.unattended)
            host.ShowMessageBox(Text::JournalLeftUnused + interrupted.front()->path, "", MessageIcon::Information,
                                MessageButtons::Ok);
    }
    for (const JournalProblem& problem : problems)
        host.ShowMessageBox(ProblemText(problem), "", MessageIcon::Exclamation, MessageButtons::Ok);

    if (!journalSettings.resumeFrom.empty()) {
        // The operator named it: refused, before anything is written, when it holds nothing to
        // write back or the data of another ECU.
        if (!chosen) {
            FinishWithStatus(Text::NamedJournalUnusable);
            return false;
        }
        const JournalHeader& header = chosen->entry.header;
        if (const char* why = WhyNothingToWriteBack(header.progress); *why != '\0') {
            host.ShowMessageBox(std::string(Text::JournalUnusable) + chosen->path + "\n" + why, "",
                                MessageIcon::Exclamation, MessageButtons::Ok);
            FinishWithStatus(Text::NamedJournalUnusable);
            return false;
        }
        if (ecu.Known() && !SameEcu(header.Identity(), ecu)) {
            host.ShowMessageBox(Text::JournalOfAnotherEcu + chosen->path + "\n\n" + BothIdentities(header, ecu), "",
                                MessageIcon::Exclamation, MessageButtons::Ok);
            FinishWithStatus(Text::NamedJournalOfAnotherEcu);
            return false;
        }
    } else if (chosen && !ecu.Known()) {
        const JournalHeader& header = chosen->entry.header;
        if (journalSettings.unattended) {
            host.ShowMessageBox(
                Text::MaybeInterruptedEcu + chosen->path + "\n\n" + BothIdentities(header, ecu) + "\n\n" + Text::WaysOn,
                "", MessageIcon::Exclamation, MessageButtons::Ok);
            FinishWithStatus(Text::NotProgrammedMaybeInterrupted);
            return false;
        }
        const std::string question = std::string(Text::InterruptedRunFound) + "\n\n" + BothIdentities(header, ecu) +
                                     "\n\n" + Text::InterruptedRunQuestion;
        if (host.ShowMessageBox(question, "", MessageIcon::Exclamation, MessageButtons::YesNo) != MessageResult::Yes)
            unused.reset(chosen.release());
    } else if (chosen && !journalSettings.unattended) {
        const std::string question = std::string(Text::InterruptedRunOfThisEcu) + "\n\n" +
                                     DescribeJournal(chosen->entry.header) + "\n\n" + Text::WriteBackQuestion;
        if (host.ShowMessageBox(question, "", MessageIcon::Exclamation, MessageButtons::YesNoDefaultYes) !=
            MessageResult::Yes)
            unused.reset(chosen.release());
    }

    if (!chosen) {
        if (infoBlockErased == 0) return true;
        // Erased: without that run's journal nobody can tell which firmware this ECU needs.
        if (unused)
            host.ShowMessageBox(Text::BlankEcuNeedsJournal + unused->path, "", MessageIcon::Exclamation,
                                MessageButtons::Ok);
        FinishWithStatus(Text::UnknownEcu);
        return false;
    }
    if (infoBlockErased == 1) {
        if (const char* cancelled = TakeIdentityOf(*chosen)) {
            FinishWithStatus(cancelled);
            return false;
        }
    }

    // Held from now on: no other run offers it while this one writes its data back.
    if (std::string reason; !journal->Hold(*chosen, reason)) {
        host.ShowMessageBox(std::string(Text::JournalUnusable) + chosen->path + "\n" + reason, "",
                            MessageIcon::Exclamation, MessageButtons::Ok);
        if (journalSettings.resumeFrom.empty() && infoBlockErased == 0) return true;
        FinishWithStatus(journalSettings.resumeFrom.empty() ? Text::UnknownEcu : Text::NamedJournalUnusable);
        return false;
    }
    snapshotReadAtStart = std::make_unique<SnapshotCopy>(SnapshotCopy{ecuDataSnapshot, savedMarks});
    ecuDataSnapshot = chosen->entry.snapshot;
    savedMarks = chosen->entry.savedMarks;
    SetStatusText(Text::JournalRestoring + JournalTimeText(chosen->entry.header.startedAt));
    restoreSource = std::move(chosen);
    return true;
}

// An ECU whose info block reads erased takes the identity its interrupted run read: model code,
// variant, software date, time and version, as if read now (the date is then the one the policy
// checks after each reset). That identity must select the image the journal was saved for.
// Null when it does and may be updated; else the text that ends the run.
const char* CFlashDlg::TakeIdentityOf(const JournalFile& file) {
    const JournalHeader& header = file.entry.header;
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

    if (!ModelMayBeUpdated(modelCode, variant)) return Text::UnknownEcu;
    if (ImageForModel(modelCode, variant) != header.imageIndex) {
        platform.host.ShowMessageBox(Text::JournalImageDiffers + file.path, "", MessageIcon::Exclamation,
                                     MessageButtons::Ok);
        return Text::UnknownEcu;
    }
    if (!IsEcuSoftwareOlder(ecuIdentification.softwareDate, modelCode)) return Text::LaterVersion;
    return nullptr;
}

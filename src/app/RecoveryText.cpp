#include "app/RecoveryText.h"

#include <algorithm>

#include "app/CFlashDlg.h"
#include "app/GuidanceTexts.h"
#include "journal/Journal.h"

std::string CommandLineWord(std::string_view path) {
    const auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("/\\._-+:,=@%").find(c) != std::string_view::npos;
    };
    if (!path.empty() && std::all_of(path.begin(), path.end(), plain)) return std::string(path);
    return "\"" + std::string(path) + "\"";
}

std::string RecoverySteps(std::string_view journalPath) {
    if (journalPath.empty()) return std::string(Text::RunKeptNoJournal) + "\n" + Text::RunAgain;
    return std::string(Text::RunJournal) + std::string(journalPath) + "\n" + Text::FinishFromJournal + "\n  " +
           Text::ResumeCommand + CommandLineWord(journalPath);
}

std::string EcuRecoveryText(std::string_view journalPath) {
    return std::string(Text::EcuNotProgrammed) + "\n" + RecoverySteps(journalPath);
}

bool CFlashDlg::EcuBeingChanged() const { return sessionStage != Stage::Identification && runEnded == 0; }

std::string CFlashDlg::JournalPath() const {
    const Journal* journal = journalSettings.journal;
    return journal && journal->Active() ? journal->CurrentPath() : std::string();
}

std::string CFlashDlg::RecoveryText() const { return EcuRecoveryText(JournalPath()); }

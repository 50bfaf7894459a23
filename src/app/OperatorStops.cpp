// The windows' ends of a run: the operator closes the window, or the line to the adapter is lost.
#include <string>

#include "app/CFlashDlg.h"
#include "app/GuidanceTexts.h"
#include "app/RecoveryText.h"
#include "platform/DialogHost.h"

bool CFlashDlg::ConfirmClose() {
    const bool changing = EcuBeingChanged();
    if (!changing && EcuStateNow() != EcuState::Unprogrammed) return true;
    const std::string question = std::string(changing ? Text::CloseWhileChanging : Text::LeftWithoutProgram) + "\n\n" +
                                 ResumeSteps(true) + "\n\n" + Text::CloseAnyway;
    return platform.host.ShowMessageBox(question, Text::CloseWhileChangingCaption, MessageIcon::Exclamation,
                                        MessageButtons::YesNo) == MessageResult::Yes;
}

void CFlashDlg::CloseRun() {
    const bool unprogrammed = EcuStateNow() == EcuState::Unprogrammed;
    OnClose();
    if (unprogrammed) ShowRecoveryBox();
}

bool CFlashDlg::EndRunOnLostLine(LineLoss loss) {
    if (loss == LineLoss::None || runEnded != 0) return false;
    OnClose();
    std::string text = std::string(Text::RunEndedBecause) + LineLossReason(loss) + ".\n" + Text::CheckAdapter;
    if (const std::string words = ClosingWords(true); !words.empty()) text += "\n\n" + words;
    recoveryTold = true;
    platform.host.ShowMessageBox(text, Text::AdapterLostCaption, MessageIcon::Error, MessageButtons::Ok);
    return true;
}

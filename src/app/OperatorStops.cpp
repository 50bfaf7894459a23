// The windows' ends of a run: the operator closes the window, or the line to the adapter is lost.
#include <string>

#include "app/CFlashDlg.h"
#include "app/GuidanceTexts.h"
#include "app/RecoveryText.h"
#include "platform/DialogHost.h"

bool CFlashDlg::ConfirmClose() {
    if (!EcuBeingChanged()) return true;
    const std::string question =
        std::string(Text::CloseWhileChanging) + "\n\n" + RecoverySteps(JournalPath()) + "\n\n" + Text::CloseAnyway;
    return platform.host.ShowMessageBox(question, Text::CloseWhileChangingCaption, MessageIcon::Exclamation,
                                        MessageButtons::YesNo) == MessageResult::Yes;
}

void CFlashDlg::CloseRun() {
    const bool changing = EcuBeingChanged();
    OnClose();
    if (changing)
        platform.host.ShowMessageBox(RecoveryText(), Text::EcuNotProgrammedCaption, MessageIcon::Exclamation,
                                     MessageButtons::Ok);
}

bool CFlashDlg::EndRunOnLostLine(LineLoss loss) {
    if (loss == LineLoss::None || runEnded != 0) return false;
    // Asked before the close steps, which end the receive thread but never the stage.
    const std::string recovery = EcuBeingChanged() ? "\n\n" + RecoveryText() : "";
    OnClose();
    const std::string text =
        std::string(Text::RunEndedBecause) + LineLossReason(loss) + ".\n" + Text::CheckAdapter + recovery;
    platform.host.ShowMessageBox(text, Text::AdapterLostCaption, MessageIcon::Error, MessageButtons::Ok);
    return true;
}

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"
#include "session/Response.h"

namespace {

constexpr uint32_t kBootMs = 3300;  // the ECU restarting after a reset
constexpr uint32_t kHighBaud = 38400;

}  // namespace

void CFlashDlg::ResetEcu(int32_t byService) {
    SetStatusText(Text::ResettingEcu);
    if (byService == 1) {
        MakePending(Row::EcuReset);  // the stage moves on with the adapter's answer after the reset
        return;
    }
    platform.host.ShowMessageBox(Text::ResetEcuFirst, Text::UserInputRequired, MessageIcon::Exclamation,
                                 MessageButtons::Ok);
    // The window closed while the box was open: the link is stopping, nothing starts again.
    if (stopCommThread != 0) return;
    ResetSession();
    SetSessionStage(StageAfterReset(sessionStage), "the operator reset the ECU");
}

void CFlashDlg::OnEcuResetDone() {
    Withdraw(Row::EcuReset);
    SetLineSpeed(0);
    if (!platform.clock.Sleep(kBootMs)) return;
    MakePending(Row::InterfaceVersion);
}

void CFlashDlg::OnInterfaceAnswer(const Response& response) {
    Withdraw(Row::InterfaceVersion);
    dongleVersion = 100 * (response.Byte(3) & 0x0F) + 10 * (response.Byte(4) & 0x0F) + (response.Byte(5) & 0x0F);
    // After a reset the adapter's answer moves the run on to its next stage, which starts, as
    // after the operator's reset, with the identification. (Out of stages 2 to 4 a reset by
    // service comes only on refusals; the model code request keeps such a run from stalling.)
    const Stage stage = sessionStage;
    if (stage != Stage::Identification && stage != Stage::Completion) {
        MakePending(Row::ModelCode);
        SetSessionStage(StageAfterReset(stage), "the adapter answered after the reset");
    }
}

// The answer to a reset can be lost after the ECU did reset, and the adapter is then back at
// 9600 baud while this side still talks at 38400: every request after would be garbled. So
// each time the reset goes unanswered it is sent again at the other speed.
void CFlashDlg::OnResponseTimeout() {
    if (!IsPending(Row::EcuReset)) return;
    SetLineSpeed(lineSpeed == kHighBaud ? 0 : 1);
}

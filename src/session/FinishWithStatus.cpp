#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "platform/DialogHost.h"

// Ends a run: the text stays in the status line and nothing further is made pending.
void CFlashDlg::FinishWithStatus(std::string_view text) {
    SetStatusText(text);
    if (text == Text::FinishedOk) finishedOk = 1;
    platform.host.ShowItem(ControlId::BusyIndicator, false);
    runEnded = 1;
}

bool CFlashDlg::RunEnded() const { return runEnded != 0 && scheduler.awaitingResponse == 0 && !AnyPending(); }

bool CFlashDlg::AnyPending() const {
    for (const auto& flag : scheduler.pendingFlags)
        if (flag == 1) return true;
    return false;
}

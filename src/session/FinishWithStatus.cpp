#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "platform/DialogHost.h"

// Ends a run: the text stays in the status line and nothing further is made pending.
void CFlashDlg::FinishWithStatus(std::string_view text) {
    SetStatusText(text);
    platform.host.ShowItem(ControlId::BusyIndicator, false);
}

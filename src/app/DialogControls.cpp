#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "platform/DialogHost.h"

void CFlashDlg::ShowEcuFields(bool show) {
    for (int id : kEcuFieldIds) platform.host.ShowItem(id, show);
}

void CFlashDlg::SetStatusText(std::string_view text) { platform.host.SetItemText(ControlId::StatusLine, text); }

void CFlashDlg::StepBusyIndicator() {
    busyIndicator.Step();
    platform.host.RepaintBusyIndicator();
}

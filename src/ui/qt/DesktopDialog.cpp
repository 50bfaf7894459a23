#include "ui/qt/DesktopDialog.h"

#include "ui/qt/FlashDialogWindow.h"
#include "ui/qt/QtDialogHost.h"

DesktopDialog::DesktopDialog(Clock& clock, SerialPort& port, PortEnumerator& ports, SystemInfo& system)
    : line_(port), host_(std::make_unique<QtDialogHost>()) {
    dlg_ = std::make_unique<CFlashDlg>(PlatformServices{*host_, clock, line_, ports, system});
    window_ = std::make_unique<FlashDialogWindow>(*dlg_, line_);
    host_->Attach(*window_, *dlg_);
}

// The dialog object goes first: its receive thread is joined through the window's calls.
DesktopDialog::~DesktopDialog() {
    dlg_->busyIndicator.AttachView(nullptr);
    dlg_.reset();
    window_.reset();
}

void DesktopDialog::Start() {
    dlg_->OnInitDialog();
    window_->show();
}

void DesktopDialog::RunModal() {
    dlg_->OnInitDialog();
    window_->exec();
}

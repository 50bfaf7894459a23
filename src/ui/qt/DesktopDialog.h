#pragma once

#include <memory>

#include "app/CFlashDlg.h"
#include "link/LineWatchPort.h"

class FlashDialogWindow;
class QtDialogHost;

// The dialog object with its Qt window and host, on the given clock, port and system services.
// The port is watched: the window ends the run when its line is lost.
class DesktopDialog {
public:
    DesktopDialog(Clock& clock, SerialPort& port, PortEnumerator& ports, SystemInfo& system);
    ~DesktopDialog();
    DesktopDialog(const DesktopDialog&) = delete;
    DesktopDialog& operator=(const DesktopDialog&) = delete;

    CFlashDlg& Dialog() { return *dlg_; }
    FlashDialogWindow& Window() { return *window_; }
    QtDialogHost& Host() { return *host_; }

    // Initialises the dialog and shows the window.
    void Start();
    // Start, then runs the window modally until the dialog ends.
    void RunModal();

private:
    LineWatchPort line_;
    std::unique_ptr<QtDialogHost> host_;
    std::unique_ptr<CFlashDlg> dlg_;
    std::unique_ptr<FlashDialogWindow> window_;
};

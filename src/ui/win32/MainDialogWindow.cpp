#include "ui/win32/MainDialogWindow.h"

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "link/LineWatchPort.h"
#include "ui/win32/Win32DialogHost.h"
#include "ui/win32/resource.h"

MainDialogWindow::MainDialogWindow(CFlashDlg& dlg, Win32DialogHost& host, const LineWatchPort& line, HINSTANCE instance)
    : dlg_(dlg),
      host_(host),
      line_(line),
      instance_(instance),
      icon_(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      busyIndicator_(dlg.busyIndicator) {}

void MainDialogWindow::RunModal() {
    DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_FLASH_DIALOG), nullptr, &MainDialogWindow::Procedure,
                    reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialogWindow::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<MainDialogWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->Handle(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR MainDialogWindow::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case Win32DialogHost::kCallMessage:
        ++threadCalls_;
        Win32DialogHost::ServeCall(lParam);
        --threadCalls_;
        return TRUE;
    // A tick or a dispatch inside a message box served while waiting for the receive thread could
    // start another such wait; the scheduler's next tick sends what a skipped dispatch would have.
    case Win32DialogHost::kDispatchMessage:
        if (!host_.ServingCalls()) dlg_.OnDispatch();
        return TRUE;
    case WM_TIMER:
        if (host_.ServingCalls()) return TRUE;
        dlg_.OnTimer(static_cast<int>(wParam));
        AfterTimer(dialog);
        return TRUE;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != kAboutCommandId) return FALSE;
        dlg_.OnSysCommand(static_cast<int>(wParam));
        return TRUE;
    case WM_PAINT: return PaintMinimised(dialog);
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(icon_);
    case WM_CLOSE: Close(dialog); return TRUE;
    // A dialog procedure gives these answers through DWLP_MSGRESULT.
    case WM_QUERYENDSESSION:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, SessionMayEnd(dialog) ? TRUE : FALSE);
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) EndWithSession(dialog);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_DESTROY: host_.Detach(); return FALSE;
    default: return FALSE;
    }
}

void MainDialogWindow::OnInitDialog(HWND dialog) {
    host_.Attach(dialog);
    busyIndicator_.Subclass(GetDlgItem(dialog, ControlId::BusyIndicator));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    CreateHuntNote(dialog);
    dlg_.OnInitDialog();
}

// Not in the template: over the choices and the ECU's fields, which the hunt keeps hidden.
void MainDialogWindow::CreateHuntNote(HWND dialog) {
    RECT area{9, 44, 9 + 221, 44 + 112};
    MapDialogRect(dialog, &area);
    huntNote_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_NOPREFIX, area.left, area.top,
                                area.right - area.left, area.bottom - area.top, dialog, nullptr, instance_, nullptr);
    SendMessageW(huntNote_, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
}

void MainDialogWindow::AfterTimer(HWND dialog) {
    if (ended_) return;
    sessionEndBlock_.Update(dialog, dlg_.EcuBeingChanged());
    if (dlg_.EndRunOnLostLine(line_.Loss())) {
        ended_ = true;
        sessionEndBlock_.Update(dialog, false);
        EndDialog(dialog, IDCANCEL);
        return;
    }
    dlg_.TellEcuLeftUnprogrammed();
    std::string note = dlg_.hunt.RoundsWithoutAnswer() > 0 ? dlg_.WhyNoAdapter(interruptedRunKnown_) : "";
    if (note == huntNoteText_) return;
    huntNoteText_ = std::move(note);
    SetWindowTextA(huntNote_, huntNoteText_.c_str());
    ShowWindow(huntNote_, huntNoteText_.empty() ? SW_HIDE : SW_SHOWNA);
}

void MainDialogWindow::OnCommand(HWND dialog, int id, int notification) {
    switch (id) {
    case ControlId::Proceed:
        if (notification == BN_CLICKED) dlg_.OnProceed();
        break;
    case ControlId::RadioGen1_2M:
    case ControlId::RadioGen1_3M:
    case ControlId::RadioGen2:
        if (notification == BN_CLICKED) dlg_.OnRadioButton(id);
        break;
    case IDCANCEL:
        // Escape goes through the close steps too: the timers stop and the receive thread has
        // ended before the window goes.
        Close(dialog);
        break;
    default: break;  // Enter (IDOK) must not end the dialog: the template has no OK button
    }
}

bool MainDialogWindow::PaintMinimised(HWND dialog) {
    if (!IsIconic(dialog)) return false;
    PAINTSTRUCT paint;
    HDC device = BeginPaint(dialog, &paint);
    SendMessageW(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(device), 0);
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(device, x, y, icon_);
    EndPaint(dialog, &paint);
    return true;
}

void MainDialogWindow::Close(HWND dialog) {
    // The run may have ended (a lost line, the session) while the question was open.
    if (ended_ || !dlg_.ConfirmClose() || ended_) return;
    End(dialog);
}

void MainDialogWindow::End(HWND dialog) {
    ended_ = true;
    dlg_.CloseRun();
    sessionEndBlock_.Update(dialog, false);
    EndDialog(dialog, IDCANCEL);
}

bool MainDialogWindow::SessionMayEnd(HWND dialog) { return !sessionEndBlock_.Update(dialog, dlg_.EcuBeingChanged()); }

// The system ends the process soon after this returns, so the close steps run here, without a
// box: nobody is left to answer it, and the journal keeps what the recovery needs (the next start
// tells of the interrupted update). A receive thread that waits for a call served below this one
// cannot be joined here, nor can close steps already under way; the system's end comes then.
void MainDialogWindow::EndWithSession(HWND dialog) {
    if (ended_ || threadCalls_ > 0 || host_.ServingCalls()) return;
    ended_ = true;
    dlg_.OnClose();
    sessionEndBlock_.Update(dialog, false);
    EndDialog(dialog, IDCANCEL);
}

#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/BusyIndicatorWindow.h"
#include "ui/win32/SessionEndBlock.h"

class CFlashDlg;
class LineWatchPort;
class Win32DialogHost;

// The dialog procedure of template 102: routes the window's messages to the central object. The
// close box, Escape and Alt+F4 ask first while the ECU is being changed; a lost line ends the run
// with a box; while the hunt finds no adapter a note below the status line says why on each port.
// While the ECU is being changed the window holds up a logoff or shutdown, giving the system its
// reason; a session that ends anyway ends the run through the close steps first.
class MainDialogWindow {
public:
    MainDialogWindow(CFlashDlg& dlg, Win32DialogHost& host, const LineWatchPort& line, HINSTANCE instance);

    // A journal tells of an update cut off while programming (the note then says what helps).
    void SetInterruptedRunKnown(bool known) { interruptedRunKnown_ = known; }

    // Runs the dialog modally; returns when it has ended.
    void RunModal();

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    void OnCommand(HWND dialog, int id, int notification);
    bool PaintMinimised(HWND dialog);
    void CreateHuntNote(HWND dialog);
    void AfterTimer(HWND dialog);
    // The operator's end: asks first while the ECU is being changed.
    void Close(HWND dialog);
    void End(HWND dialog);
    // WM_QUERYENDSESSION's answer: false while the ECU is being changed.
    bool SessionMayEnd(HWND dialog);
    void EndWithSession(HWND dialog);

    CFlashDlg& dlg_;
    Win32DialogHost& host_;
    const LineWatchPort& line_;
    HWND huntNote_ = nullptr;
    std::string huntNoteText_;
    bool interruptedRunKnown_ = false;
    bool ended_ = false;
    int threadCalls_ = 0;  // calls of the receive thread being served (it waits for each)
    SessionEndBlock sessionEndBlock_;
    HINSTANCE instance_;
    HICON icon_;
    BusyIndicatorWindow busyIndicator_;
};

#pragma once

#include <windows.h>

#include "ui/win32/BusyIndicatorWindow.h"

class CFlashDlg;
class Win32DialogHost;

// The dialog procedure of template 102: routes the window's messages to the central object.
class MainDialogWindow {
public:
    MainDialogWindow(CFlashDlg& dlg, Win32DialogHost& host, HINSTANCE instance);

    // Runs the dialog modally; returns when it has ended.
    void RunModal();

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    void OnCommand(HWND dialog, int id, int notification);
    bool PaintMinimised(HWND dialog);
    void End(HWND dialog);

    CFlashDlg& dlg_;
    Win32DialogHost& host_;
    HINSTANCE instance_;
    HICON icon_;
    BusyIndicatorWindow busyIndicator_;
};

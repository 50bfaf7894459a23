#include "ui/win32/CFlashApp.h"

#include "app/CFlashDlg.h"
#include "journal/Journal.h"
#include "platform/FolderStorage.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32PortEnumerator.h"
#include "platform/win32/Win32SerialPort.h"
#include "platform/win32/Win32SystemInfo.h"
#include "ui/win32/MainDialogWindow.h"
#include "ui/win32/Win32DialogHost.h"

bool CFlashApp::InitInstance() {
    static Win32DialogHost host(instance_);
    static Win32Clock clock;
    static Win32SerialPort port;
    static Win32PortEnumerator ports;
    static Win32SystemInfo system;
    static FolderStorage storage(FolderStorage::DefaultFolder());
    static Journal journal(storage);
    // Static: the dialog's buffers are far too large for the stack.
    static CFlashDlg dlg({host, clock, port, ports, system});
    // Where no state folder can be named the run says so before it erases, and asks.
    dlg.journalSettings.journal = &journal;
    MainDialogWindow window(dlg, host, instance_);
    window.RunModal();
    return false;
}

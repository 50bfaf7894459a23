#include "ui/win32/CFlashApp.h"

#include <cstdlib>
#include <optional>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "journal/InterruptedRuns.h"
#include "journal/Journal.h"
#include "link/LineWatchPort.h"
#include "link/PortChoice.h"
#include "platform/FolderStorage.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32PortEnumerator.h"
#include "platform/win32/Win32SerialPort.h"
#include "platform/win32/Win32SystemInfo.h"
#include "ui/win32/MainDialogWindow.h"
#include "ui/win32/Win32DialogHost.h"

bool CFlashApp::InitInstance() {
    // FLASH_UPDATER_PORTS names the COM ports to try, as on the command line of the console program.
    const PortChoice choice = ChoosePorts({}, std::getenv("FLASH_UPDATER_PORTS"));
    std::string error = choice.error;
    const std::optional<std::vector<int32_t>> named =
        error.empty() ? ComPortNumbers(choice.names, error) : std::nullopt;
    if (!named) {
        MessageBoxA(nullptr, error.c_str(), Text::ApplicationName, MB_OK | MB_ICONERROR);
        return false;
    }
    static Win32DialogHost host(instance_);
    static Win32Clock clock;
    static Win32SerialPort device;
    static LineWatchPort port(device);
    static Win32PortEnumerator ports(*named);
    static Win32SystemInfo system;
    static FolderStorage storage(FolderStorage::DefaultFolder());
    static Journal journal(storage);
    // Static: the dialog's buffers are far too large for the stack.
    static CFlashDlg dlg({host, clock, port, ports, system});
    // Where no state folder can be named the run says so before it erases, and asks.
    dlg.journalSettings.journal = &journal;
    MainDialogWindow window(dlg, host, port, instance_);
    window.SetInterruptedRunKnown(AnyRunInterruptedWhileProgramming(journal));
    window.RunModal();
    return false;
}

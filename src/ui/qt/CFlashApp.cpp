#include "ui/qt/CFlashApp.h"

#include "journal/Journal.h"
#include "platform/FolderStorage.h"
#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/PosixSystemInfo.h"
#include "ui/qt/DesktopDialog.h"

bool CFlashApp::InitInstance() {
    // The device list is read once: a port added later is not tried.
    const std::vector<std::string> devices = ListSerialDevices();
    PosixSerialPort port(devices);
    PosixPortEnumerator ports(devices.size());
    PosixClock clock;
    PosixSystemInfo user;
    FolderStorage storage(FolderStorage::DefaultFolder());
    Journal journal(storage);
    DesktopDialog dialog(clock, port, ports, user);
    // Where no state folder can be named the run says so before it erases, and asks.
    dialog.Dialog().journalSettings.journal = &journal;
    dialog.RunModal();
    return false;
}

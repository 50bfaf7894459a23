#include "ui/qt/CFlashApp.h"

#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"
#include "ui/qt/DesktopDialog.h"
#include "ui/qt/LoginUser.h"
#include "ui/qt/WallClock.h"

bool CFlashApp::InitInstance() {
    // The device list is read once: a port added later is not tried.
    const std::vector<std::string> devices = ListSerialDevices();
    PosixSerialPort port(devices);
    PosixPortEnumerator ports(devices.size());
    WallClock clock;
    LoginUser user;
    DesktopDialog dialog(clock, port, ports, user);
    dialog.RunModal();
    return false;
}

#include "ui/qt/CFlashApp.h"

#include <QMessageBox>

#include <cstdlib>

#include "app/Texts.h"
#include "journal/InterruptedRuns.h"
#include "journal/Journal.h"
#include "link/PortChoice.h"
#include "platform/FolderStorage.h"
#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/PosixSystemInfo.h"
#include "ui/qt/DesktopDialog.h"
#include "ui/qt/FlashDialogWindow.h"
#include "ui/qt/StopSignalNotifier.h"

bool CFlashApp::InitInstance() {
    const PortChoice choice = ChoosePorts({}, std::getenv("FLASH_UPDATER_PORTS"));
    if (!choice.error.empty()) {
        QMessageBox::critical(nullptr, QString::fromLatin1(Text::ApplicationName),
                              QString::fromLocal8Bit(choice.error));
        return false;
    }
    // The device list is read once: a port added later is not tried.
    const std::vector<std::string> devices = ListSerialDevices(choice.names);
    PosixSerialPort port(devices);
    PosixPortEnumerator ports(devices);
    PosixClock clock;
    PosixSystemInfo user;
    FolderStorage storage(FolderStorage::DefaultFolder());
    Journal journal(storage);
    DesktopDialog dialog(clock, port, ports, user);
    // Where no state folder can be named the run says so before it erases, and asks.
    dialog.Dialog().journalSettings.journal = &journal;
    dialog.Window().SetInterruptedRunKnown(AnyRunInterruptedWhileProgramming(journal));
    const StopSignalNotifier stops(dialog.Window(), dialog.Dialog());
    dialog.RunModal();
    return false;
}

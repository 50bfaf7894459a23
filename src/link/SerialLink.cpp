#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "platform/DialogHost.h"
#include "platform/SerialPort.h"

namespace {

constexpr uint32_t kLowSpeed = 9600;
constexpr uint32_t kHighSpeed = 38400;
// The adapter's own command: length 02, command 94, sum 96.
constexpr uint8_t kSpeedSwitch[] = {0x02, 0x94, 0x96};

}  // namespace

bool CFlashDlg::OpenPort(int32_t portNumber) {
    if (!platform.port.Open(portNumber)) return false;
    if (SetLineSpeed(0)) return true;
    platform.port.Close();  // a failed open never leaves the port held
    return false;
}

// 1 selects the high speed; every other value the low one.
bool CFlashDlg::SetLineSpeed(int32_t speedSelector) {
    const uint32_t baud = speedSelector == 1 ? kHighSpeed : kLowSpeed;
    if (!platform.port.SetBaudRate(baud)) return false;
    lineSpeed = baud;
    return true;
}

void CFlashDlg::SendSpeedSwitch() { platform.port.Write(kSpeedSwitch, sizeof kSpeedSwitch); }

// After this no receive thread exists, so the next port's thread never shares a port with it.
void CFlashDlg::ClosePort() {
    EndCommThread();
    platform.port.Close();
}

void CFlashDlg::StopLink() {
    const auto stopTimers = [this] {
        platform.host.KillTimer(TimerId::Scheduler);
        platform.host.KillTimer(TimerId::Connection);
    };
    stopTimers();
    ClosePort();
    // The receive thread may have restarted them while it finished (an operator reset answered
    // as the window closed); now that it has ended nothing can.
    stopTimers();
}

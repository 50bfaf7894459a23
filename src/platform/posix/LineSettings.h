#pragma once

#include <termios.h>

#include <cstdint>
#include <functional>

// The modem-line control call, replaceable so that its refusals can be tested.
using ModemControl = std::function<int(int fd, unsigned long request, int* lines)>;

int SystemModemControl(int fd, unsigned long request, int* lines);

// Drops DTR and RTS. A device without modem lines (a pseudo-terminal) refuses the call with
// ENOTTY or EINVAL; that is not a failure, as there is then nothing to hold inactive.
bool HoldModemLinesInactive(int fd, const ModemControl& control = SystemModemControl);

// Raw 8N1 at the given baud rate (9600 or 38400): receiver on, modem status ignored, no
// hardware or software flow control, nothing translated, DTR and RTS inactive.
bool ApplyLineSettings(int fd, uint32_t baud);

// The line as it was before this program set it up: the settings, and DTR and RTS where the
// device has modem lines.
struct SavedLine {
    termios settings{};
    int modemLines = 0;
    bool modemLinesKnown = false;
};

// False when the device has no line settings to save.
bool SaveLine(int fd, SavedLine& saved, const ModemControl& control = SystemModemControl);

// Puts the saved line back at once. What is still queued either way is dropped first: it belongs
// to this program's conversation, and waiting for a device that has stopped draining would hold
// up the close.
void RestoreLine(int fd, const SavedLine& saved, const ModemControl& control = SystemModemControl);

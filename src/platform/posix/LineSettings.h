#pragma once

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

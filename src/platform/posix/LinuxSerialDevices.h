#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The serial devices the program may try, in port-number order (port n is entry n-1): those the
// operator named, otherwise the scan below of /dev and /sys/class/tty.
std::vector<std::string> ListSerialDevices(const std::vector<std::string>& named);

// Tells whether a ttyS device has a UART behind it.
using UartProbe = std::function<bool(const std::string& devicePath)>;

// USB serial devices (ttyUSB, then ttyACM) first, then the ttyS devices that have a driver bound
// in `sysClassTty` and a UART behind them; each kind in the order of its number.
std::vector<std::string> ScanSerialDevices(const std::string& devDir, const std::string& sysClassTty,
                                           const UartProbe& hasUart);

// A ttyS device that reports a UART type, or that exists but is held by another program.
bool DeviceHasUart(const std::string& devicePath);

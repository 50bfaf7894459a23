#pragma once

#include <string>

// What sysfs tells of a serial device, so that a station can tell its adapters apart: its driver
// and, behind USB, the vendor and product ids, the maker's names and the serial number
// ("ftdi_sio, USB 0403:6001 FTDI FT232R USB UART, serial A10KJ3V2"). A link (/dev/serial/by-id/...)
// is followed to its device. Empty when sysfs knows nothing of it (a pseudo-terminal). The texts
// are the device's own: printing them is the caller's care.
std::string DescribeSerialDevice(const std::string& devicePath, const std::string& sysClassTty = "/sys/class/tty");

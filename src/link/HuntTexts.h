#pragma once

// What the operator is told when no adapter answers.
namespace Text {
inline constexpr const char* NoAdapterAnswered = "No adapter answered";
inline constexpr const char* NoPortFound =
    "No serial port was found: connect the adapter, then start the program again.";
inline constexpr const char* PortMissing = "no such device";
inline constexpr const char* PortNoPermission =
    "no permission to open it: add your user to the 'dialout' group and log in again";
inline constexpr const char* PortInUse = "in use by another program";
inline constexpr const char* PortNotSerial = "not a serial device";
inline constexpr const char* PortOwnTerminal = "the terminal this program runs in, left as it is";
inline constexpr const char* PortOpenFailed = "cannot be opened";
inline constexpr const char* PortSilent = "opened, but no adapter answered: check the adapter's cable and power";
inline constexpr const char* AdapterMayBeFast =
    "An interrupted update can leave the adapter at its high speed: switching the ECU off and on brings it back.";
}  // namespace Text

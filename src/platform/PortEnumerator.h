#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Lists the port numbers that can be tried, in the order they are tried: COM numbers on Windows,
// 1-based positions in the device list elsewhere. A port that exists but is busy is listed.
class PortEnumerator {
public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<int32_t> UsablePorts() = 0;
    // The port as the operator names it ("COM6", "/dev/ttyUSB0").
    virtual std::string PortName(int32_t portNumber) const { return "port " + std::to_string(portNumber); }
    // What the system knows of the device behind it (driver, maker, serial number); empty when
    // nothing.
    virtual std::string PortDescription(int32_t) const { return {}; }
};

// The port's name, and what is known of its device after `separator`.
inline std::string PortLabel(const PortEnumerator& ports, int32_t portNumber, const std::string& separator) {
    const std::string description = ports.PortDescription(portNumber);
    return ports.PortName(portNumber) + (description.empty() ? "" : separator + description);
}

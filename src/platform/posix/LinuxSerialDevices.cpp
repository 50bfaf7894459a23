#include "platform/posix/LinuxSerialDevices.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

struct NumberedDevice {
    unsigned long number;
    std::string name;
};

// The devices of one kind ("ttyUSB" and a number), ordered by number.
std::vector<NumberedDevice> DevicesOfKind(const std::vector<std::string>& names, std::string_view kind) {
    std::vector<NumberedDevice> found;
    for (const std::string& name : names) {
        if (name.size() <= kind.size() || name.compare(0, kind.size(), kind) != 0) continue;
        const std::string digits = name.substr(kind.size());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        found.push_back({std::strtoul(digits.c_str(), nullptr, 10), name});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    return found;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::vector<std::string>& named) {
    if (!named.empty()) return named;
    return ScanSerialDevices("/dev", "/sys/class/tty", DeviceHasUart);
}

std::vector<std::string> ScanSerialDevices(const std::string& devDir, const std::string& sysClassTty,
                                           const UartProbe& hasUart) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(devDir, error)) names.push_back(entry.path().filename().string());

    std::vector<std::string> devices;
    for (std::string_view kind : {"ttyUSB", "ttyACM"})
        for (const NumberedDevice& device : DevicesOfKind(names, kind)) devices.push_back(devDir + "/" + device.name);
    for (const NumberedDevice& device : DevicesOfKind(names, "ttyS")) {
        // Most ttyS nodes are placeholders for UARTs that do not exist.
        const std::string path = devDir + "/" + device.name;
        if (fs::exists(fs::path(sysClassTty) / device.name / "device" / "driver", error) && hasUart(path))
            devices.push_back(path);
    }
    return devices;
}

bool DeviceHasUart(const std::string& devicePath) {
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY || errno == EACCES || errno == EPERM;
    serial_struct info{};
    const bool uart = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return uart;
}

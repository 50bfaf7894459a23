#include "platform/posix/SerialDeviceInfo.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A sysfs attribute's first line; empty when there is none.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const size_t end = line.find_last_not_of(" \t\r");
    return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

// The USB device a tty hangs off: the nearest folder above it with a vendor id. Interfaces and
// ports lie between them, never more than a few levels.
std::optional<fs::path> UsbDeviceAbove(fs::path folder) {
    for (int level = 0; level < 6 && folder.has_relative_path(); ++level) {
        std::error_code error;
        if (fs::exists(folder / "idVendor", error)) return folder;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

// The driver that serves the device. Newer kernels put a generic serial-base port between a UART
// and its tty, whose driver ("port") tells nothing: then the one above it counts.
std::string DriverOf(fs::path device) {
    for (int level = 0; level < 3 && device.has_relative_path(); ++level) {
        std::error_code error;
        const fs::path driver = fs::read_symlink(device / "driver", error);
        if (!error && driver.string().find("/serial-base/") == std::string::npos) return driver.filename().string();
        device = device.parent_path();
    }
    return {};
}

}  // namespace

std::string DescribeSerialDevice(const std::string& devicePath, const std::string& sysClassTty) {
    std::error_code error;
    fs::path device = fs::canonical(devicePath, error);
    if (error) device = devicePath;
    const fs::path sysDevice = fs::path(sysClassTty) / device.filename() / "device";
    if (!fs::exists(sysDevice, error)) return {};

    const fs::path resolved = fs::canonical(sysDevice, error);
    if (error) return {};
    std::vector<std::string> parts;
    if (std::string driver = DriverOf(resolved); !driver.empty()) parts.push_back(std::move(driver));
    if (const std::optional<fs::path> usb = UsbDeviceAbove(resolved)) {
        std::string text = "USB " + Attribute(*usb / "idVendor") + ":" + Attribute(*usb / "idProduct");
        for (const char* name : {"manufacturer", "product"})
            if (const std::string value = Attribute(*usb / name); !value.empty()) text += " " + value;
        parts.push_back(text);
        if (const std::string serial = Attribute(*usb / "serial"); !serial.empty()) parts.push_back("serial " + serial);
    }
    std::string description;
    for (const std::string& part : parts) description += (description.empty() ? "" : ", ") + part;
    return description;
}

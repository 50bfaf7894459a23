#include "platform/win32/Win32PortEnumerator.h"

#include <windows.h>
// clang-format off
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <cstdio>
#include <string>

namespace {

// The device's registry value as text; empty when it has none.
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    char name[64] = {};
    DWORD size = sizeof name - 1;
    DWORD type = 0;
    const bool read =
        RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
        type == REG_SZ;
    RegCloseKey(key);
    return read ? std::string(name) : std::string();
}

}  // namespace

std::vector<int32_t> Win32PortEnumerator::UsablePorts() {
    if (!named_.empty()) return named_;
    std::vector<int32_t> ports;
    for (int32_t number = 1; number <= 255; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(number));
        HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (port != INVALID_HANDLE_VALUE) {
            CloseHandle(port);
            ports.push_back(number);
            continue;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_GEN_FAILURE || error == ERROR_SHARING_VIOLATION)
            ports.push_back(number);
    }
    return ports;
}

std::string Win32PortEnumerator::PortName(int32_t portNumber) const { return "COM" + std::to_string(portNumber); }

std::string Win32PortEnumerator::PortDescription(int32_t portNumber) const {
    HDEVINFO devices = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return {};
    const std::string wanted = PortName(portNumber);
    std::string description;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; description.empty() && SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        if (PortNameOf(devices, device) != wanted) continue;
        char friendly[256] = {};
        if (SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE*>(friendly), sizeof friendly - 1, nullptr))
            description = friendly;
    }
    SetupDiDestroyDeviceInfoList(devices);
    return description;
}

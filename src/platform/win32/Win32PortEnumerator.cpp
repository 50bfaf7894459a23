#include "platform/win32/Win32PortEnumerator.h"

#include <windows.h>

#include <cstdio>

std::vector<int32_t> Win32PortEnumerator::UsablePorts() {
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

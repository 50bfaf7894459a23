#include "platform/win32/Win32SystemInfo.h"

#include <windows.h>

bool Win32SystemInfo::UserName(std::string& out) {
    char name[256];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size) || size == 0) return false;
    out.assign(name, size - 1);  // the size counts the terminating zero
    return true;
}

#pragma once

#include <windows.h>

// The console control handler the watcher installs; the tests call it as the system would.
BOOL WINAPI HandleConsoleControl(DWORD event);

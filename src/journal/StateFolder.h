#pragma once

#include <string>

// Where the program keeps the state it must find again after an interruption, from the values
// of the environment (null when unset). Empty when no folder can be named.
// POSIX: $XDG_STATE_HOME/flash-updater, else $HOME/.local/state/flash-updater (relative values
// are ignored, as the base-directory rules say).
std::string PosixStateFolder(const char* xdgStateHome, const char* home);
// Windows: %LOCALAPPDATA%\FlashUpdater.
std::string WindowsStateFolder(const char* localAppData);

#pragma once

#include <memory>
#include <string>
#include <vector>

class Clock;
class PortEnumerator;
class SerialPort;
class SystemInfo;

// The console program's platform objects; each system builds its own (ConsolePlatformPosix.cpp,
// ConsolePlatformWin32.cpp).
class ConsolePlatform {
public:
    virtual ~ConsolePlatform() = default;
    virtual SerialPort& Port() = 0;
    virtual PortEnumerator& Ports() = 0;
    virtual Clock& SystemClock() = 0;
    virtual SystemInfo& System() = 0;
};

// On the ports the operator named (none: those the system lists). Nothing, with a one-line
// reason in `error`, when a name can be no port of this system.
std::unique_ptr<ConsolePlatform> MakeConsolePlatform(const std::vector<std::string>& portNames, std::string& error);

// First thing in the program: the files it creates (trace, debug file, report) are readable by
// the user alone.
void KeepCreatedFilesPrivate();
bool StandardOutputIsTerminal();
bool StandardInputIsTerminal();

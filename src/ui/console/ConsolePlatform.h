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

// The program's arguments in UTF-8, as the program takes every path and text. Windows hands
// `argv` in the ANSI code page, where a letter it lacks is lost: there they are read again from
// the UTF-16 command line.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The console as the run needs it, from the program's start until the object goes, when it is
// put back as it was. On Windows the console shows the program's UTF-8 text (output code page),
// and a click into it cannot freeze the program's output (QuickEdit off). Nothing to do on POSIX.
class ConsoleSettingsForRun {
public:
    ConsoleSettingsForRun();
    ~ConsoleSettingsForRun();
    ConsoleSettingsForRun(const ConsoleSettingsForRun&) = delete;
    ConsoleSettingsForRun& operator=(const ConsoleSettingsForRun&) = delete;

private:
    unsigned outputCodePage_ = 0;  // 0: not changed
    unsigned long inputMode_ = 0;
    bool inputModeChanged_ = false;
};

#include <io.h>

#include <cstdio>
#include <optional>

#include "link/PortChoice.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32PortEnumerator.h"
#include "platform/win32/Win32SerialPort.h"
#include "platform/win32/Win32SystemInfo.h"
#include "ui/console/ConsolePlatform.h"

namespace {

class Win32ConsolePlatform final : public ConsolePlatform {
public:
    explicit Win32ConsolePlatform(std::vector<int32_t> named) : ports_(std::move(named)) {}

    SerialPort& Port() override { return port_; }
    PortEnumerator& Ports() override { return ports_; }
    Clock& SystemClock() override { return clock_; }
    SystemInfo& System() override { return system_; }

private:
    Win32SerialPort port_;
    Win32PortEnumerator ports_;
    Win32Clock clock_;
    Win32SystemInfo system_;
};

}  // namespace

std::unique_ptr<ConsolePlatform> MakeConsolePlatform(const std::vector<std::string>& portNames, std::string& error) {
    std::optional<std::vector<int32_t>> numbers = ComPortNumbers(portNames, error);
    if (!numbers) return nullptr;
    return std::make_unique<Win32ConsolePlatform>(std::move(*numbers));
}

// The user's own folders keep the files private on Windows.
void KeepCreatedFilesPrivate() {}

bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

bool StandardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

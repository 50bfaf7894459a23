#include <io.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <shellapi.h>

#include "link/PortChoice.h"
#include "platform/win32/WideText.h"
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

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8Text(wide[i]));
    LocalFree(static_cast<HLOCAL>(wide));
    return arguments;
}

// Standard output and error written into a console are shown in its output code page; into a
// file or pipe the bytes go unchanged. QuickEdit selects text at a click and holds every write to
// the console until the selection ends: a run left so would stall on its next line.
ConsoleSettingsForRun::ConsoleSettingsForRun() {
    const UINT codePage = GetConsoleOutputCP();  // 0 without a console
    if (codePage != 0 && codePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) outputCodePage_ = codePage;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) {
        inputMode_ = mode;
        inputModeChanged_ = SetConsoleMode(input, (mode & ~DWORD{ENABLE_QUICK_EDIT_MODE}) | ENABLE_EXTENDED_FLAGS) != 0;
    }
}

ConsoleSettingsForRun::~ConsoleSettingsForRun() {
    if (inputModeChanged_) SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), inputMode_);
    if (outputCodePage_ != 0) SetConsoleOutputCP(outputCodePage_);
}

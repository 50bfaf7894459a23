#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/PosixSystemInfo.h"
#include "ui/console/ConsolePlatform.h"

namespace {

// The device list is read once: a device plugged in later is not tried.
class PosixConsolePlatform final : public ConsolePlatform {
public:
    explicit PosixConsolePlatform(const std::vector<std::string>& devices) : port_(devices), ports_(devices) {}

    SerialPort& Port() override { return port_; }
    PortEnumerator& Ports() override { return ports_; }
    Clock& SystemClock() override { return clock_; }
    SystemInfo& System() override { return system_; }

private:
    PosixSerialPort port_;
    PosixPortEnumerator ports_;
    PosixClock clock_;
    PosixSystemInfo system_;
};

}  // namespace

std::unique_ptr<ConsolePlatform> MakeConsolePlatform(const std::vector<std::string>& portNames, std::string&) {
    return std::make_unique<PosixConsolePlatform>(ListSerialDevices(portNames));
}

void KeepCreatedFilesPrivate() { ::umask(077); }

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

ConsoleSettingsForRun::ConsoleSettingsForRun() = default;

ConsoleSettingsForRun::~ConsoleSettingsForRun() {}  // a terminal is left as it was

// flash-updater-cli: the Flash Updater's dialog on a terminal.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "app/CFlashDlg.h"
#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/PosixSystemInfo.h"
#include "ui/console/CliOptions.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/ConsoleRun.h"
#include "ui/console/LineInput.h"
#include "ui/console/LineWatchPort.h"
#include "ui/console/TerminationSignals.h"
#include "ui/console/TracingSerialPort.h"
#include "ui/console/UiEventLoop.h"

int main(int argc, char** argv) {
    CliOptions options;
    if (const std::optional<int> exitCode = ParseCommandLine(argc, argv, options, std::cout, std::cerr)) return *exitCode;

    const std::vector<std::string> devices = ListSerialDevices();
    if (options.listPorts) {
        // Numbered as the status texts number the ports.
        for (size_t i = 0; i < devices.size(); ++i) std::cout << (i + 1) << "  " << devices[i] << '\n';
        std::cout << std::flush;
        return kExitFinishedOk;
    }

    std::ofstream trace;
    if (options.traceFile) {
        trace.open(*options.traceFile, std::ios::out | std::ios::trunc);
        if (!trace) {
            std::cerr << "flash-updater-cli: cannot write the trace file " << *options.traceFile << ": "
                      << std::strerror(errno) << '\n';
            return kExitBadUsage;
        }
    }

    BlockTerminationSignals();  // before any thread starts, so that every thread inherits it

    PosixSerialPort device(devices);
    std::optional<TracingSerialPort> traced;
    if (options.traceFile) traced.emplace(device, trace);
    LineWatchPort port(traced ? static_cast<SerialPort&>(*traced) : device, [&device] { return device.LineLost(); });
    PosixClock clock;
    PosixSystemInfo system;
    PosixPortEnumerator ports(devices.size());

    UiEventLoop loop;
    ConsoleOutput output(std::cout, isatty(STDOUT_FILENO) == 1);
    LineInput input(STDIN_FILENO, [&loop] { loop.Wake(); });
    ConsoleDialogHost host(loop, output, input, ConsoleAnswers{options.yes, options.debugFile});
    TerminationSignalWatcher signals([&host](int) { host.RequestClose(); });

    CFlashDlg dlg(PlatformServices{host, clock, port, ports, system});
    return RunConsoleDialog(dlg, host, output, loop, port, std::cerr);
}

// flash-updater-cli: the Flash Updater's dialog on a terminal.
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "app/CFlashDlg.h"
#include "journal/Journal.h"
#include "journal/JournalDescription.h"
#include "platform/FolderStorage.h"
#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32PortEnumerator.h"
#include "platform/win32/Win32SerialPort.h"
#include "platform/win32/Win32SystemInfo.h"
#else
#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixPortEnumerator.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/PosixSystemInfo.h"
#endif
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

    std::setlocale(LC_TIME, "");  // the debug report's time in the operator's own form

    FolderStorage journalFolder(FolderStorage::DefaultFolder());
    Journal journal(journalFolder);
    if (options.listJournals) {
        const std::vector<JournalListing> listings = journal.List();
        if (listings.empty()) std::cout << "No journals in " << journalFolder.Folder() << '\n';
        for (const JournalListing& listing : listings) std::cout << JournalListingLine(listing) << '\n';
        std::cout << std::flush;
        return kExitFinishedOk;
    }

#ifdef _WIN32
    if (options.listPorts) {
        // The status texts number the ports by their COM numbers.
        for (const int32_t number : Win32PortEnumerator().UsablePorts()) std::cout << number << "  COM" << number << '\n';
        std::cout << std::flush;
        return kExitFinishedOk;
    }
#else
    const std::vector<std::string> devices = ListSerialDevices();
    if (options.listPorts) {
        // Numbered as the status texts number the ports.
        for (size_t i = 0; i < devices.size(); ++i) std::cout << (i + 1) << "  " << devices[i] << '\n';
        std::cout << std::flush;
        return kExitFinishedOk;
    }
#endif

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

#ifdef _WIN32
    Win32SerialPort device;
#else
    PosixSerialPort device(devices);
#endif
    std::optional<TracingSerialPort> traced;
    if (options.traceFile) traced.emplace(device, trace);
#ifdef _WIN32
    const auto lineLost = [] { return false; };  // a lost device shows as a line that stays silent
#else
    const auto lineLost = [&device] { return device.LineLost(); };
#endif
    LineWatchPort port(traced ? static_cast<SerialPort&>(*traced) : device, lineLost);
#ifdef _WIN32
    Win32Clock clock;
    Win32SystemInfo system;
    Win32PortEnumerator ports;
#else
    PosixClock clock;
    PosixSystemInfo system;
    PosixPortEnumerator ports(devices.size());
#endif

    UiEventLoop loop;
    ConsoleOutput output(std::cout, isatty(STDOUT_FILENO) == 1);
    LineInput input(STDIN_FILENO, [&loop] { loop.Wake(); });
    ConsoleDialogHost host(loop, output, input, ConsoleAnswers{options.yes, options.debugFile});
    TerminationSignalWatcher signals([&host](int) { host.RequestClose(); });

    // The dialog's buffers (megabytes) are far too large for a thread's stack (1 MB on Windows).
    const auto dlg = std::make_unique<CFlashDlg>(PlatformServices{host, clock, port, ports, system});
    dlg->journalSettings = {options.noJournal ? nullptr : &journal, options.yes, options.resumeFile.value_or(""),
                            options.noResume};
    if (traced) dlg->traceNote = [&traced](std::string_view note) { traced->Note(note); };
    return RunConsoleDialog(*dlg, host, output, loop, port, std::cerr);
}

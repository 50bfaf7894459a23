// flash-updater-cli: the Flash Updater's dialog on a terminal.
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "FlashUpdaterVersion.h"
#include "app/CFlashDlg.h"
#include "ecu/PrintableText.h"
#include "journal/InterruptedRuns.h"
#include "journal/Journal.h"
#include "journal/JournalDescription.h"
#include "link/PortChoice.h"
#include "log/SaveDebugReport.h"
#include "platform/FolderStorage.h"
#include "platform/PortEnumerator.h"
#include "ui/console/CliOptions.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/ConsolePlatform.h"
#include "ui/console/ConsoleRun.h"
#include "ui/console/LineInput.h"
#include "ui/console/PrivateFile.h"
#include "ui/console/RunReport.h"
#include "ui/console/TerminalWriter.h"
#include "ui/console/TerminationSignals.h"
#include "ui/console/TracingSerialPort.h"
#include "ui/console/UiEventLoop.h"

namespace {

constexpr const char* kPrefix = "flash-updater-cli: ";

int BadUsage(const std::string& reason) {
    std::cerr << kPrefix << reason << " (see --help)\n" << std::flush;
    return kExitBadUsage;
}

}  // namespace

int main(int argc, char** argv) {
    KeepCreatedFilesPrivate();
    const ConsoleSettingsForRun console;
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    argumentTexts.reserve(arguments.size());
    for (const std::string& argument : arguments) argumentTexts.push_back(argument.c_str());
    CliOptions options;
    if (const std::optional<int> exitCode = ParseCommandLine(static_cast<int>(argumentTexts.size()),
                                                             argumentTexts.data(), options, std::cout, std::cerr))
        return *exitCode;

    std::setlocale(LC_TIME, "");  // the debug report's time in the operator's own form

    const PortChoice ports = ChoosePorts(options.ports, std::getenv("FLASH_UPDATER_PORTS"));
    if (!ports.error.empty()) return BadUsage(ports.error);
    std::string portError;
    const std::unique_ptr<ConsolePlatform> platform = MakeConsolePlatform(ports.names, portError);
    if (!platform) return BadUsage(portError);

    FolderStorage journalFolder(FolderStorage::DefaultFolder());
    Journal journal(journalFolder);
    if (options.listJournals) {
        const std::vector<JournalListing> listings = journal.List();
        if (listings.empty()) std::cout << "No journals in " << journalFolder.Folder() << '\n';
        for (const JournalListing& listing : listings) std::cout << JournalListingLine(listing) << '\n';
        std::cout << std::flush;
        return kExitFinishedOk;
    }
    if (options.listPorts) {
        // Numbered as the status texts number the ports.
        const PortEnumerator& enumerator = platform->Ports();
        for (const int32_t number : platform->Ports().UsablePorts())
            std::cout << PrintableText(std::to_string(number) + "  " + PortLabel(enumerator, number, "  ")) << '\n';
        std::cout << std::flush;
        return kExitFinishedOk;
    }

    PrivateOutputFile trace;
    if (std::string reason; options.traceFile && !trace.Open(*options.traceFile, reason)) {
        std::cerr << kPrefix << "cannot write the trace file " << *options.traceFile << ": " << reason << '\n';
        return kExitBadUsage;
    }
    SetDebugFileOpener([](const std::string& path, std::string& reason) {
        return OpenPrivateFile(path, PrivateFileMode::Append, reason);
    });

    BlockTerminationSignals();  // before any thread starts, so that every thread inherits it

    const auto startedAt = std::chrono::system_clock::now();
    std::optional<TracingSerialPort> traced;
    if (options.traceFile) traced.emplace(platform->Port(), trace.Stream());
    LineWatchPort port(traced ? static_cast<SerialPort&>(*traced) : platform->Port());

    UiEventLoop loop;
    ConsoleOutput screen(std::cout, StandardOutputIsTerminal());
    TerminalWriter output(screen, std::cerr);
    LineInput input(0, [&loop] { loop.Wake(); });
    const PortEnumerator& enumerator = platform->Ports();
    ConsoleDialogHost host(loop, output, input, ConsoleAnswers{options.yes, options.debugFile},
                           [&enumerator](int32_t number) { return PortLabel(enumerator, number, ": "); });

    // The dialog's buffers (megabytes) are far too large for a thread's stack (1 MB on Windows).
    const auto dlg = std::make_unique<CFlashDlg>(
        PlatformServices{host, platform->SystemClock(), port, platform->Ports(), platform->System()});
    dlg->journalSettings = {options.noJournal ? nullptr : &journal, options.yes, options.resumeFile.value_or(""),
                            options.noResume};
    if (traced) dlg->traceNote = [&traced](std::string_view note) { traced->Note(note); };
    TerminationSignalWatcher signals(StopSignalHandler(*dlg, host, loop, output));
    signals.HoldSessionEndWhile([&dlg] { return dlg->EcuBeingChanged(); });

    const std::optional<int> timeout = ConnectTimeoutOf(options);
    const ConsoleRunSettings settings{
        timeout ? std::optional<std::chrono::seconds>(*timeout) : std::nullopt,
        AnyRunInterruptedWhileProgramming(journal),
    };
    const int exitCode = RunConsoleDialog(*dlg, host, output, loop, port, settings);

    bool reportWritten = true;
    if (options.reportFile) {
        RunReport report = DescribeRun(*dlg, host.StatusText(), exitCode);
        report.program = "flash-updater-cli";
        report.version = FLASH_UPDATER_VERSION;
        report.startedAt = startedAt;
        report.endedAt = std::chrono::system_clock::now();
        // With "-" the report follows the run's last line on standard output.
        std::string reason;
        reportWritten = DeliverRunReport(*options.reportFile, RunReportJson(report), std::cout, reason);
        if (!reportWritten)
            std::cerr << kPrefix << "cannot write the report " << *options.reportFile << ": " << reason << '\n'
                      << std::flush;
    }
    signals.CloseStepsDone();
    return ExitCodeWithReport(exitCode, reportWritten);
}

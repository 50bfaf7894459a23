#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "ui/console/StopSignalPolicy.h"

class CFlashDlg;
class ConsoleDialogHost;
class LineWatchPort;
class StatusOutput;
class TerminalWriter;
class UiEventLoop;

struct ConsoleRunSettings {
    std::optional<std::chrono::seconds> connectTimeout;  // none: the hunt goes on until stopped
    bool unfinishedJournal = false;                      // a journal of an interrupted update exists
};

// Runs the dialog until its run has ended, the operator declined to proceed or a close was
// requested, the line to the adapter was lost, or no adapter answered within the time-out; then
// the close steps, and the final status text as the last status line. Meanwhile, after every
// round of the hunt in which no adapter answered, standard error says why on each port (when that
// changed). A lost line or a missing adapter is told on standard error; a run that stopped while
// the ECU was being changed ends with the recovery text. Returns, once all of it is written, the
// exit code: 0 after "Finished OK", 3 when the ECU was left unprogrammed, 1 otherwise.
int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, TerminalWriter& output, UiEventLoop& loop,
                     const LineWatchPort& line, const ConsoleRunSettings& settings);

// What the console does with a stop signal, on the thread that took it: closes the run, or warns
// on the user-interface thread and goes on (see StopSignalPolicy).
std::function<void(StopSignal)> StopSignalHandler(CFlashDlg& dlg, ConsoleDialogHost& host, UiEventLoop& loop,
                                                  StatusOutput& output);

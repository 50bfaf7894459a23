#pragma once

#include <ostream>

class CFlashDlg;
class ConsoleDialogHost;
class ConsoleOutput;
class LineWatchPort;
class UiEventLoop;

// Runs the dialog until its run has ended, the operator declined to proceed or a close was
// requested, or the line to the adapter was lost; then the close steps, and the final status text
// as the last line (a lost line also says why on `errors`). Returns the exit code: 0 after
// "Finished OK", 1 otherwise.
int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, ConsoleOutput& output, UiEventLoop& loop,
                     const LineWatchPort& line, std::ostream& errors);

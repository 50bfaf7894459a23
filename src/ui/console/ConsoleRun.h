#pragma once

class CFlashDlg;
class ConsoleDialogHost;
class ConsoleOutput;
class UiEventLoop;

// Runs the dialog until its run has ended, the operator declined to proceed or a close was
// requested; then the close steps, and the final status text as the last line. Returns the
// exit code: 0 after "Finished OK", 1 otherwise.
int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, ConsoleOutput& output, UiEventLoop& loop);

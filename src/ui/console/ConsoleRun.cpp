#include "ui/console/ConsoleRun.h"

#include <string>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ui/console/CliOptions.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/UiEventLoop.h"

int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, ConsoleOutput& output, UiEventLoop& loop) {
    host.Attach(dlg);
    dlg.OnInitDialog();
    bool ended = false;
    loop.RunUntil([&] {
        ended = dlg.RunEnded();
        return ended || host.CloseRequested() || host.ProceedDeclined();
    });
    dlg.OnClose();
    output.HideBusyLine();
    const std::string& finalText = host.StatusText();
    if (output.LastLine() != finalText) output.PrintLine(finalText);
    return ended && finalText == Text::FinishedOk ? kExitFinishedOk : kExitRunFailed;
}

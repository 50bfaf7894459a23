#include "ui/console/ConsoleRun.h"

#include <string>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ui/console/CliOptions.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/LineWatchPort.h"
#include "ui/console/UiEventLoop.h"

int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, ConsoleOutput& output, UiEventLoop& loop,
                     const LineWatchPort& line, std::ostream& errors) {
    host.Attach(dlg);
    dlg.OnInitDialog();
    bool ended = false;
    LineLoss loss = LineLoss::None;
    // Tested before every event; the core's timers keep firing while it resends into a lost line.
    loop.RunUntil([&] {
        ended = dlg.RunEnded();
        loss = ended ? LineLoss::None : line.Loss();
        return ended || loss != LineLoss::None || host.CloseRequested() || host.ProceedDeclined();
    });
    dlg.OnClose();
    output.HideBusyLine();
    const std::string& finalText = host.StatusText();
    if (output.LastLine() != finalText) output.PrintLine(finalText);
    if (loss != LineLoss::None) errors << "flash-updater-cli: " << LineLossReason(loss) << '\n' << std::flush;
    return ended && finalText == Text::FinishedOk ? kExitFinishedOk : kExitRunFailed;
}

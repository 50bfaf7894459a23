#include "ui/console/ConsoleRun.h"

#include <string>

#include "app/CFlashDlg.h"
#include "ui/console/CliOptions.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/UiEventLoop.h"

namespace {

constexpr const char* kFinishedOk = "Finished OK";
// Shown without a call that ends the run: the identification stops there and nothing is pending.
constexpr const char* kUnknownEcu = "Update cancelled. Unknown ECU";

bool NothingOutstanding(const SchedulerState& scheduler) {
    if (scheduler.awaitingResponse != 0) return false;
    for (const auto& flag : scheduler.pendingFlags)
        if (flag == 1) return false;
    return true;
}

} // namespace

bool ConsoleRunEnded(const CFlashDlg& dlg, const std::string& statusText) {
    return dlg.RunEnded() || (statusText == kUnknownEcu && NothingOutstanding(dlg.scheduler));
}

int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, ConsoleOutput& output, UiEventLoop& loop) {
    host.Attach(dlg);
    dlg.OnInitDialog();
    bool ended = false;
    loop.RunUntil([&] {
        ended = ConsoleRunEnded(dlg, host.StatusText());
        return ended || host.CloseRequested() || host.ProceedDeclined();
    });
    dlg.OnClose();
    output.HideBusyLine();
    const std::string& finalText = host.StatusText();
    if (output.LastLine() != finalText) output.PrintLine(finalText);
    return ended && finalText == kFinishedOk ? kExitFinishedOk : kExitRunFailed;
}

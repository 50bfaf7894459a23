#include "ui/console/ConsoleRun.h"

#include <memory>
#include <string>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "link/LineWatchPort.h"
#include "ui/console/CliOptions.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleTexts.h"
#include "ui/console/TerminalWriter.h"
#include "ui/console/TerminationSignals.h"
#include "ui/console/UiEventLoop.h"

namespace {

// A line on standard error, named as the program's own.
void SayOnErrors(TerminalWriter& output, std::string_view text) {
    output.PrintError("flash-updater-cli: " + std::string(text));
}

// What the loop below has seen: why it stopped (besides the run's own end and the operator's),
// and what it has told of the hunt.
struct Watch {
    LineLoss loss = LineLoss::None;
    bool noAdapter = false;
    uint32_t roundsTold = 0;
    std::string told;  // the hunt's last description on standard error
};

}  // namespace

int RunConsoleDialog(CFlashDlg& dlg, ConsoleDialogHost& host, TerminalWriter& output, UiEventLoop& loop,
                     const LineWatchPort& line, const ConsoleRunSettings& settings) {
    const auto start = std::chrono::steady_clock::now();
    const auto describeHunt = [&] { return dlg.WhyNoAdapter(settings.unfinishedJournal); };
    host.Attach(dlg);
    dlg.OnInitDialog();
    bool ended = false;
    Watch watch;
    // Tested before every event; the core's timers keep firing while it hunts or resends into a
    // lost line, so every change is seen within a tick.
    loop.RunUntil([&] {
        ended = dlg.RunEnded();
        if (ended) return true;
        watch.loss = line.Loss();
        const HuntRecord& hunt = dlg.hunt;
        if (hunt.RoundsWithoutAnswer() > watch.roundsTold) {
            watch.roundsTold = hunt.RoundsWithoutAnswer();
            if (std::string text = describeHunt(); text != watch.told) {
                SayOnErrors(output, text);
                watch.told = std::move(text);
            }
        }
        if (hunt.RoundsWithoutAnswer() == 0) {  // an answer: a later hunt is told afresh
            watch.roundsTold = 0;
            watch.told.clear();
        }
        watch.noAdapter = !hunt.Answered() && settings.connectTimeout &&
                          std::chrono::steady_clock::now() - start >= *settings.connectTimeout;
        return watch.loss != LineLoss::None || watch.noAdapter || host.CloseRequested() || host.ProceedDeclined();
    });
    dlg.OnClose();
    output.HideBusyLine();
    const std::string& finalText = host.StatusText();
    if (output.LastLine() != finalText) output.PrintLine(finalText);
    if (watch.loss != LineLoss::None) SayOnErrors(output, LineLossReason(watch.loss));
    if (watch.noAdapter) {
        if (const std::string text = describeHunt(); text != watch.told) SayOnErrors(output, text);
        SayOnErrors(output,
                    "gave up after " + std::to_string(settings.connectTimeout->count()) + " s (--connect-timeout)");
    }
    // The recovery steps follow the final text; that nothing was changed goes to standard error,
    // so the final text stays the last line of a run that left the ECU as it was.
    if (const std::string words = dlg.ClosingWords(false); !words.empty()) {
        if (dlg.EcuStateNow() == EcuState::Unprogrammed)
            output.PrintLine(words);
        else
            SayOnErrors(output, words);
    }
    output.WaitUntilWritten();
    switch (dlg.EcuStateNow()) {
    case EcuState::Programmed: return kExitFinishedOk;
    case EcuState::Unprogrammed: return kExitEcuUnprogrammed;
    case EcuState::Untouched: break;
    }
    return kExitRunFailed;
}

std::function<void(StopSignal)> StopSignalHandler(CFlashDlg& dlg, ConsoleDialogHost& host, UiEventLoop& loop,
                                                  StatusOutput& output) {
    auto policy = std::make_shared<StopSignalPolicy>();
    return [&dlg, &host, &loop, &output, policy](StopSignal signal) {
        switch (policy->Decide(signal, dlg.EcuBeingChanged(), std::chrono::steady_clock::now())) {
        case StopAction::Close: host.RequestClose(); break;
        case StopAction::Warn: {
            const char* text = signal == StopSignal::Quit ? Text::QuitWhileChanging : Text::InterruptWhileChanging;
            loop.Post([&output, text] { output.PrintLine(text); });
            break;
        }
        case StopAction::Refuse: loop.Post([&output] { output.PrintLine(Text::SuspendWhileChanging); }); break;
        case StopAction::Suspend: SuspendAsAnyJob(); break;
        case StopAction::GoOn: break;
        }
    };
}

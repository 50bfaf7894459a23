#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "link/HuntRecord.h"
#include "platform/DialogHost.h"
#include "ui/console/WriteRateMeter.h"

class CFlashDlg;
class StatusOutput;
class LineInput;
class UiEventLoop;

struct ConsoleAnswers {
    bool yes = false;                      // message boxes OK and "Proceed ->" pressed without asking
    std::optional<std::string> debugFile;  // the open-file dialog's answer; asked for when absent
};

// The dialog as a terminal shows it: each new status text on a line of its own, the ECU's fields
// when they are shown, the busy indicator, message boxes and the open-file dialog as prompts. The
// line of the connection names the port's device (`describePort`), so that a station can tell
// which adapter a run took. Every call is carried out on the user-interface thread (the event
// loop's).
class ConsoleDialogHost final : public DialogHost {
public:
    ConsoleDialogHost(UiEventLoop& loop, StatusOutput& output, LineInput& input, ConsoleAnswers answers,
                      PortNamer describePort = {});

    // The dialog whose timers fire and whose button is pressed here.
    void Attach(CFlashDlg& dlg);

    void SetItemText(int controlId, std::string_view text) override;
    void ShowItem(int controlId, bool show) override;
    void EnableItem(int controlId, bool enable) override;
    void AppendFieldText(int controlId, std::string_view text) override;
    void SetWindowTitle(std::string_view title) override;
    void AddSystemMenuEntry(int commandId, std::string_view text) override;
    MessageResult ShowMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                                 MessageButtons buttons) override;
    void SetTimer(int timerId, uint32_t periodMs) override;
    void KillTimer(int timerId) override;
    bool ChooseFile(std::string& path, std::string_view title) override;
    void RepaintBusyIndicator() override;
    void RunAboutBox(std::string_view text) override;
    void WaitServingCalls(const std::function<bool()>& finished) override;
    void WakeWaitingUiThread() override;
    void RequestDispatch() override;

    // Any thread: the operator wants the program closed (a signal); prompts give up waiting.
    void RequestClose();
    bool CloseRequested() const { return closeRequested_; }
    // The operator answered no to "Proceed with programming?".
    bool ProceedDeclined() const { return proceedDeclined_; }
    // On the user-interface thread.
    const std::string& StatusText() const { return statusText_; }

private:
    // Prints the question and waits for a line, serving timers and calls meanwhile; nothing when
    // the input ended or a close was requested.
    std::optional<std::string> Ask(std::string_view question);
    void PressProceed();
    void PrintStatus();
    void DrawBusyIndicator();

    UiEventLoop& loop_;
    StatusOutput& output_;
    LineInput& input_;
    const ConsoleAnswers answers_;
    const PortNamer describePort_;
    CFlashDlg* dlg_ = nullptr;

    std::string statusText_;
    std::string fieldTexts_[3];  // date, time, software version values
    std::string labelTexts_[3];
    bool fieldVisible_[3] = {false, false, false};
    bool busyVisible_ = true;      // the template shows it
    bool proceedEnabled_ = false;  // offered to the operator only once the core enables it
    std::atomic<bool> closeRequested_{false};
    bool proceedDeclined_ = false;
    WriteRateMeter writeRate_;
    int writeArea_ = -1;
};

#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/DialogHost.h"

class CFlashDlg;
class FlashDialogWindow;
class QTimer;

// The core's window on Qt. Every call runs on the window's thread: calls from other threads wait
// there until it has been carried out (see UiCallQueue). Timers tick into the dialog object;
// message boxes and the file dialog are modal and owned by the window.
class QtDialogHost final : public DialogHost {
public:
    QtDialogHost();
    ~QtDialogHost() override;

    // The window and the dialog object the host serves; set before the dialog is initialised.
    void Attach(FlashDialogWindow& window, CFlashDlg& dlg);

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

    // Ids of the running timers, ascending.
    std::vector<int> ActiveTimers() const;

private:
    void OnUiThread(const std::function<void()>& call);

    FlashDialogWindow* window_ = nullptr;
    CFlashDlg* dlg_ = nullptr;
    std::map<int, std::unique_ptr<QTimer>> timers_;
    int servingDepth_ = 0;  // WaitServingCalls in progress on the window's thread
};

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "UiThreadCalls.h"
#include "platform/DialogHost.h"

// A window that records every change the core makes to it. Safe to call from any thread; once a
// thread has become its user-interface thread, calls from other threads wait for that thread.
class ScriptedDialogHost : public DialogHost {
public:
    struct TimerArm {
        uint32_t periodMs;
        uint64_t armedAtMs;
    };
    struct MessageBoxCall {
        std::string text, caption;
        MessageIcon icon;
        MessageButtons buttons;
    };

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

    // The calling thread becomes the window's user-interface thread: from now on calls from
    // other threads are carried out only while it serves them (WaitServingCalls).
    void BecomeUiThread();
    // Waits up to `deadline` for a call from another thread to be waiting for the window.
    bool AwaitWaitingCall(std::chrono::milliseconds deadline);

    // Observations.
    std::string ItemText(int controlId) const;
    std::string StatusText() const;
    std::vector<std::string> StatusHistory() const;
    // Visibility and enabled state; a control never touched reads as `fallback`.
    bool IsVisible(int controlId, bool fallback = true) const;
    bool IsEnabled(int controlId, bool fallback = true) const;
    std::map<int, uint32_t> ActiveTimers() const;
    std::map<int, TimerArm> ActiveTimerArms() const;
    std::vector<MessageBoxCall> MessageBoxes() const;
    std::vector<std::string> Log() const;
    int BusyRepaints() const;
    std::string Title() const;
    std::vector<std::string> AboutBoxTexts() const;

    // Gives the time at which timers are armed (virtual time in the tests).
    void UseTimeSource(std::function<uint64_t()> now);
    // Script: the file the open-file dialog returns (nullopt: the operator cancels).
    void ScriptFileChoice(std::optional<std::string> path);
    // Called for every dispatch request, on the thread that asked (the test decides when the
    // dialog's OnDispatch runs). Without a handler requests are only counted.
    void OnDispatchRequest(std::function<void()> handler);
    int DispatchRequests() const;
    // Script: the answer to every Yes/No box from now on (No until scripted).
    void ScriptYesNoAnswer(MessageResult answer);
    // An operator who reads each question: its answer, in place of the scripted one.
    void AnswerQuestionsBy(std::function<MessageResult(const MessageBoxCall&)> answerer);
    // Called for every message box, after it was recorded (still inside the box).
    void OnMessageBox(std::function<void(const MessageBoxCall&)> handler);

private:
    void Record(std::string entry);

    mutable std::mutex mutex_;
    std::map<int, std::string> texts_;
    std::map<int, bool> visible_, enabled_;
    std::vector<std::string> statusHistory_;
    std::map<int, TimerArm> timers_;
    std::function<uint64_t()> now_;
    std::vector<MessageBoxCall> boxes_;
    std::vector<std::string> log_;
    std::vector<std::string> aboutTexts_;
    std::string title_;
    int busyRepaints_ = 0;
    std::optional<std::string> fileChoice_;
    MessageResult yesNoAnswer_ = MessageResult::No;
    std::function<MessageResult(const MessageBoxCall&)> answerer_;
    std::function<void(const MessageBoxCall&)> boxHandler_;
    std::function<void()> dispatchHandler_;
    int dispatchRequests_ = 0;
    UiThreadCalls calls_;
};

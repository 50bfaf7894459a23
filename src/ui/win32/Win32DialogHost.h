#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/DialogHost.h"

// The main dialog's window as the core sees it. Calls from other threads become a synchronous
// private message to the dialog, which the user-interface thread carries out in its message loop
// (or, while it waits for the receive thread, in WaitServingCalls).
class Win32DialogHost final : public DialogHost {
public:
    static constexpr UINT kCallMessage = WM_APP + 1;  // lParam: const std::function<void()>*
    static constexpr UINT kDispatchMessage = WM_APP + 2;

    explicit Win32DialogHost(HINSTANCE instance);
    ~Win32DialogHost() override;
    Win32DialogHost(const Win32DialogHost&) = delete;
    Win32DialogHost& operator=(const Win32DialogHost&) = delete;

    // The dialog procedure's handling of kCallMessage.
    static void ServeCall(LPARAM call) { (*reinterpret_cast<const std::function<void()>*>(call))(); }

    // The dialog window has been created; the calling thread is its user-interface thread.
    void Attach(HWND dialog);
    void Detach();

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

    // Whether the user-interface thread is inside WaitServingCalls (a message box served there
    // runs a message loop of its own, in which the dialog's timers must not tick).
    bool ServingCalls() const { return servingDepth_ > 0; }

private:
    // Runs `call` on the user-interface thread and returns when it is done.
    void OnUiThread(const std::function<void()>& call);

    HINSTANCE instance_;
    std::atomic<HWND> dialog_{nullptr};  // read by other threads to reach the window
    std::atomic<DWORD> uiThread_{0};
    HANDLE wake_;
    int servingDepth_ = 0;  // user-interface thread only
};

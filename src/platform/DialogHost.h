#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What the core asks of a window. Implemented by the Qt window, the console front end and the
// scripted host of the tests. Calls may come from the receive thread: an implementation makes
// each one a synchronous call into its user-interface thread.
enum class MessageIcon { None, Exclamation, Error, Information };
enum class MessageButtons { Ok, YesNo, YesNoDefaultYes };  // YesNo: No is the default answer
enum class MessageResult { Ok, Yes, No };

inline bool IsQuestion(MessageButtons buttons) { return buttons != MessageButtons::Ok; }

class DialogHost {
public:
    virtual ~DialogHost() = default;

    virtual void SetItemText(int controlId, std::string_view text) = 0;
    virtual void ShowItem(int controlId, bool show) = 0;
    virtual void EnableItem(int controlId, bool enable) = 0;
    // Replaces the edit box's current selection with the text (no undo record).
    virtual void AppendFieldText(int controlId, std::string_view text) = 0;
    virtual void SetWindowTitle(std::string_view title) = 0;
    // Appends a separator and an entry with the command id to the system menu.
    virtual void AddSystemMenuEntry(int commandId, std::string_view text) = 0;

    // An empty caption means the application's name. (Not called MessageBox: windows.h makes that a macro.)
    virtual MessageResult ShowMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                                         MessageButtons buttons) = 0;

    virtual void SetTimer(int timerId, uint32_t periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;

    // The open-file dialog; `path` holds the name offered and receives the one chosen.
    // Returns false when the operator cancels.
    virtual bool ChooseFile(std::string& path, std::string_view title) = 0;

    virtual void RepaintBusyIndicator() = 0;

    // Runs the About box modally; its one line of text is given.
    virtual void RunAboutBox(std::string_view text) = 0;

    // On the user-interface thread: returns once `finished()` holds, carrying out meanwhile the
    // window calls other threads make (they wait for this thread, so a plain wait could
    // deadlock). Nothing else runs meanwhile: no timer ticks, no operator input.
    virtual void WaitServingCalls(const std::function<bool()>& finished) = 0;
    // Any thread: makes a WaitServingCalls in progress test its condition again.
    virtual void WakeWaitingUiThread() = 0;

    // Any thread, without waiting: the user-interface thread is to call CFlashDlg::OnDispatch()
    // soon (a response was handled, the next request may go). A window that cannot do this
    // leaves the request to the next scheduler tick.
    virtual void RequestDispatch() {}
};

#include "ui/win32/Win32DialogHost.h"

#include <commdlg.h>

#include <string>

#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ui/win32/resource.h"

namespace {

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::None: break;
    }
    return 0;
}

INT_PTR CALLBACK AboutBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // The box's one text has no id: it is the first control of the template.
        SetWindowTextA(GetWindow(box, GW_CHILD), reinterpret_cast<const std::string*>(lParam)->c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(box, LOWORD(wParam));
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

}  // namespace

Win32DialogHost::Win32DialogHost(HINSTANCE instance)
    : instance_(instance), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

Win32DialogHost::~Win32DialogHost() {
    if (wake_) CloseHandle(wake_);
}

void Win32DialogHost::Attach(HWND dialog) {
    dialog_ = dialog;
    uiThread_ = GetCurrentThreadId();
}

void Win32DialogHost::Detach() { dialog_ = nullptr; }

void Win32DialogHost::OnUiThread(const std::function<void()>& call) {
    const HWND window = dialog_;
    if (!window || GetCurrentThreadId() == uiThread_) {
        call();
        return;
    }
    SendMessageW(window, kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

void Win32DialogHost::SetItemText(int controlId, std::string_view text) {
    OnUiThread([&] { SetDlgItemTextA(dialog_, controlId, std::string(text).c_str()); });
}

void Win32DialogHost::ShowItem(int controlId, bool show) {
    OnUiThread([&] { ShowWindow(GetDlgItem(dialog_, controlId), show ? SW_SHOW : SW_HIDE); });
}

void Win32DialogHost::EnableItem(int controlId, bool enable) {
    OnUiThread([&] { EnableWindow(GetDlgItem(dialog_, controlId), enable); });
}

void Win32DialogHost::AppendFieldText(int controlId, std::string_view text) {
    OnUiThread([&] {
        SendDlgItemMessageA(dialog_, controlId, EM_REPLACESEL, FALSE,
                            reinterpret_cast<LPARAM>(std::string(text).c_str()));
    });
}

void Win32DialogHost::SetWindowTitle(std::string_view title) {
    OnUiThread([&] { SetWindowTextA(dialog_, std::string(title).c_str()); });
}

void Win32DialogHost::AddSystemMenuEntry(int commandId, std::string_view) {
    // The entry's text is the program's string resource; without it there is no entry.
    OnUiThread([&] {
        char text[256] = {};
        HMENU menu = GetSystemMenu(dialog_, FALSE);
        if (!menu || LoadStringA(instance_, IDS_ABOUTBOX, text, sizeof text) <= 0) return;
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(commandId), text);
    });
}

MessageResult Win32DialogHost::ShowMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                                              MessageButtons buttons) {
    const bool yesNo = IsQuestion(buttons);
    const UINT defaultButton = buttons == MessageButtons::YesNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
    int answer = IDOK;
    OnUiThread([&] {
        const std::string title(caption.empty() ? std::string_view(Text::ApplicationName) : caption);
        answer = MessageBoxA(dialog_, std::string(text).c_str(), title.c_str(),
                             (yesNo ? MB_YESNO | defaultButton : MB_OK) | IconStyle(icon));
    });
    if (!yesNo) return MessageResult::Ok;
    return answer == IDYES ? MessageResult::Yes : MessageResult::No;
}

void Win32DialogHost::SetTimer(int timerId, uint32_t periodMs) {
    OnUiThread([&] { ::SetTimer(dialog_, static_cast<UINT_PTR>(timerId), periodMs, nullptr); });
}

void Win32DialogHost::KillTimer(int timerId) {
    OnUiThread([&] { ::KillTimer(dialog_, static_cast<UINT_PTR>(timerId)); });
}

bool Win32DialogHost::ChooseFile(std::string& path, std::string_view title) {
    bool chosen = false;
    OnUiThread([&] {
        char name[MAX_PATH] = {};
        path.copy(name, sizeof name - 1);
        const std::string caption(title);
        OPENFILENAMEA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = dialog_;
        dialog.lpstrFilter = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
        dialog.lpstrFile = name;
        dialog.nMaxFile = sizeof name;
        dialog.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
        dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
        chosen = GetOpenFileNameA(&dialog);
        if (chosen) path = name;
    });
    return chosen;
}

// Invalidating is safe from any thread and only queues a paint: no need to wait for the window.
void Win32DialogHost::RepaintBusyIndicator() {
    if (const HWND window = dialog_) InvalidateRect(GetDlgItem(window, ControlId::BusyIndicator), nullptr, FALSE);
}

void Win32DialogHost::RunAboutBox(std::string_view text) {
    const std::string line(text);
    OnUiThread([&] {
        DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUTBOX), dialog_, AboutBoxProc,
                        reinterpret_cast<LPARAM>(&line));
    });
}

void Win32DialogHost::WaitServingCalls(const std::function<bool()>& finished) {
    // Only sent messages are delivered meanwhile: no timer tick and no operator input runs.
    ++servingDepth_;
    while (!finished()) {
        MsgWaitForMultipleObjectsEx(wake_ ? 1 : 0, &wake_, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    --servingDepth_;
}

void Win32DialogHost::WakeWaitingUiThread() { SetEvent(wake_); }

void Win32DialogHost::RequestDispatch() {
    if (const HWND window = dialog_) PostMessageW(window, kDispatchMessage, 0, 0);
}

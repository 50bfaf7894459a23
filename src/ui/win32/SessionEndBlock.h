#pragma once

#include <windows.h>

// While the ECU is being changed a logoff or shutdown would leave it without a working program:
// the window answers WM_QUERYENDSESSION with FALSE and gives the system this reason to show.
inline constexpr const wchar_t* kSessionEndBlockReason = L"Flash Updater is programming an ECU";

// The reason a window has given the system, kept in step with the change. One window's, on the
// thread that owns it.
class SessionEndBlock {
public:
    // Sets the reason while `changing`, takes it back once not; true while it is set.
    bool Update(HWND window, bool changing) {
        if (changing && !set_) {
            set_ = true;  // once: a system that keeps no reason does not get asked at every tick
            ShutdownBlockReasonCreate(window, kSessionEndBlockReason);
        }
        if (!changing && set_) {
            ShutdownBlockReasonDestroy(window);
            set_ = false;
        }
        return changing;
    }

private:
    bool set_ = false;
};

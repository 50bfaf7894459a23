#include "platform/win32/Win32Clock.h"

#include <ctime>

Win32Clock::Win32Clock() : cut_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Win32Clock::~Win32Clock() {
    if (cut_) CloseHandle(cut_);
}

bool Win32Clock::Sleep(uint32_t ms) {
    // Without its event the clock still waits, but cannot be cut.
    if (!cut_) {
        ::Sleep(ms);
        return true;
    }
    return WaitForSingleObject(cut_, ms) == WAIT_TIMEOUT;
}

void Win32Clock::CutWaits() {
    if (cut_) SetEvent(cut_);
}

void Win32Clock::AllowWaits() {
    if (cut_) ResetEvent(cut_);
}

bool Win32Clock::LocalTime(std::tm& out) {
    const std::time_t now = std::time(nullptr);
    return now != static_cast<std::time_t>(-1) && localtime_s(&out, &now) == 0;
}

#pragma once

#include <windows.h>

#include "platform/Clock.h"

// Sleeps on a manual-reset event, so that cutting the waits wakes every sleeper at once and keeps
// later sleeps from starting until the waits are allowed again.
class Win32Clock final : public Clock {
public:
    Win32Clock();
    ~Win32Clock() override;
    Win32Clock(const Win32Clock&) = delete;
    Win32Clock& operator=(const Win32Clock&) = delete;

    bool Sleep(uint32_t ms) override;
    void CutWaits() override;
    void AllowWaits() override;
    bool LocalTime(std::tm& out) override;

private:
    HANDLE cut_;
};

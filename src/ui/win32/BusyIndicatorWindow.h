#pragma once

#include <windows.h>

#include <atomic>

#include "app/CTqBusyProgressCtrl.h"

// The window of the busy indicator: the dialog's static control 1014, subclassed. The model draws
// itself through this onto an off-screen GDI bitmap that reaches the screen in one block
// transfer; its messages are WM_USER + the message's offset.
class BusyIndicatorWindow final : public BusyView {
public:
    explicit BusyIndicatorWindow(CTqBusyProgressCtrl& model) : model_(model) {}
    ~BusyIndicatorWindow() override;
    BusyIndicatorWindow(const BusyIndicatorWindow&) = delete;
    BusyIndicatorWindow& operator=(const BusyIndicatorWindow&) = delete;

    // Takes over the control and attaches the model to it.
    void Subclass(HWND control);

    void Invalidate() override;
    PixelRect ClientRect() const override;
    Colour SystemButtonFace() const override;
    std::unique_ptr<OffscreenCanvas> CreateOffscreenCanvas(int32_t width, int32_t height) override;

private:
    static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void Release();

    CTqBusyProgressCtrl& model_;
    std::atomic<HWND> control_{nullptr};  // read by other threads that invalidate
    WNDPROC staticProcedure_ = nullptr;
    HDC screen_ = nullptr;  // the control's device context while a paint is in progress
};

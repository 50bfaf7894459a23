#pragma once

#include <windows.h>

class CTqBusyProgressCtrl;

// Paints the busy indicator's model into the dialog's static control 1014: the blocks are drawn
// with GDI onto an off-screen bitmap of the control's size, which reaches the screen in one
// block transfer. The bitmap is made on the first paint after a size change.
class BusyIndicatorWindow {
public:
    explicit BusyIndicatorWindow(const CTqBusyProgressCtrl& model) : model_(model) {}
    ~BusyIndicatorWindow();
    BusyIndicatorWindow(const BusyIndicatorWindow&) = delete;
    BusyIndicatorWindow& operator=(const BusyIndicatorWindow&) = delete;

    // Takes over the control's painting.
    void Subclass(HWND control);

private:
    static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HWND control);
    void DrawBlocks(HDC canvas, const RECT& area) const;
    void DiscardCanvas();

    const CTqBusyProgressCtrl& model_;
    WNDPROC staticProcedure_ = nullptr;
    HDC canvas_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ canvasOldBitmap_ = nullptr;
};

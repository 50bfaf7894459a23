#include "ui/win32/BusyIndicatorWindow.h"

#include "app/CTqBusyProgressCtrl.h"

namespace {

COLORREF ToColorRef(Colour c) { return RGB(c.red, c.green, c.blue); }

void DrawRectangle(HDC canvas, const RECT& block, Colour outline, Colour fill) {
    HPEN pen = CreatePen(PS_SOLID, 0, ToColorRef(outline));
    HBRUSH brush = CreateSolidBrush(ToColorRef(fill));
    HGDIOBJ oldPen = SelectObject(canvas, pen);
    HGDIOBJ oldBrush = SelectObject(canvas, brush);
    Rectangle(canvas, block.left, block.top, block.right, block.bottom);
    SelectObject(canvas, oldPen);
    SelectObject(canvas, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

} // namespace

BusyIndicatorWindow::~BusyIndicatorWindow() { DiscardCanvas(); }

void BusyIndicatorWindow::Subclass(HWND control) {
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    staticProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BusyIndicatorWindow::Procedure)));
}

LRESULT CALLBACK BusyIndicatorWindow::Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<BusyIndicatorWindow*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        self->Paint(control);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers the whole control
    case WM_SIZE:
        self->DiscardCanvas();
        break;
    case WM_SYSCOLORCHANGE:
        InvalidateRect(control, nullptr, FALSE);
        break;
    case WM_NCDESTROY:
        self->DiscardCanvas();
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->staticProcedure_));
        break;
    default:
        break;
    }
    return CallWindowProcW(self->staticProcedure_, control, message, wParam, lParam);
}

void BusyIndicatorWindow::Paint(HWND control) {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(control, &paint);
    RECT area;
    GetClientRect(control, &area);
    if (!canvas_) {
        canvas_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, area.right, area.bottom);
        canvasOldBitmap_ = SelectObject(canvas_, bitmap_);
    }
    FillRect(canvas_, &area, GetSysColorBrush(COLOR_BTNFACE));
    DrawBlocks(canvas_, area);
    BitBlt(screen, 0, 0, area.right, area.bottom, canvas_, 0, 0, SRCCOPY);
    EndPaint(control, &paint);
}

void BusyIndicatorWindow::DrawBlocks(HDC canvas, const RECT& area) const {
    const int32_t count = model_.BlockCount();
    if (count <= 0) return;
    const double blockWidth = (static_cast<double>(area.right - area.left) - count * model_.Spacing()) / count;
    const int32_t position = model_.Position();
    double x = 0;
    for (int32_t i = 0; i < count; ++i) {
        const RECT block{static_cast<LONG>(x), 0, static_cast<LONG>(x + blockWidth), area.bottom - area.top};
        if (i == position)
            DrawRectangle(canvas, block, model_.ActiveOutlineColour(), model_.ActiveColour());
        else
            DrawRectangle(canvas, block, model_.BlockOutlineColour(), model_.BlockColour());
        x += model_.Spacing() + blockWidth;
    }
}

void BusyIndicatorWindow::DiscardCanvas() {
    if (!canvas_) return;
    SelectObject(canvas_, canvasOldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(canvas_);
    canvas_ = nullptr;
    bitmap_ = nullptr;
}

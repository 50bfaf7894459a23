#include "ui/win32/BusyIndicatorWindow.h"

namespace {

COLORREF ToColorRef(Colour c) { return RGB(c.red, c.green, c.blue); }

class GdiBitmapCanvas final : public OffscreenCanvas {
public:
    GdiBitmapCanvas(HWND window, int32_t width, int32_t height, HDC const& screen) : screen_(screen) {
        HDC windowDc = GetDC(window);
        canvas_ = CreateCompatibleDC(windowDc);
        bitmap_ = CreateCompatibleBitmap(windowDc, width, height);
        ReleaseDC(window, windowDc);
        if (canvas_ && bitmap_) previous_ = SelectObject(canvas_, bitmap_);
    }
    ~GdiBitmapCanvas() override {
        if (previous_) SelectObject(canvas_, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        if (canvas_) DeleteDC(canvas_);
    }
    GdiBitmapCanvas(const GdiBitmapCanvas&) = delete;
    GdiBitmapCanvas& operator=(const GdiBitmapCanvas&) = delete;

    void FillRect(const PixelRect& rect, Colour fill) override {
        const RECT r{rect.left, rect.top, rect.right, rect.bottom};
        HBRUSH brush = CreateSolidBrush(ToColorRef(fill));
        ::FillRect(canvas_, &r, brush);
        DeleteObject(brush);
    }

    // GDI's Rectangle keeps a one-pixel pen inside right and bottom: on the edge pixels.
    void OutlinedRect(const PixelRect& rect, Colour outline, Colour fill) override {
        if (rect.IsEmpty()) return;
        HPEN pen = CreatePen(PS_SOLID, 0, ToColorRef(outline));
        HBRUSH brush = CreateSolidBrush(ToColorRef(fill));
        HGDIOBJ oldPen = SelectObject(canvas_, pen);
        HGDIOBJ oldBrush = SelectObject(canvas_, brush);
        Rectangle(canvas_, rect.left, rect.top, rect.right, rect.bottom);
        SelectObject(canvas_, oldPen);
        SelectObject(canvas_, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }

    void CopyToScreen(const PixelRect& area) override {
        if (screen_) BitBlt(screen_, area.left, area.top, area.Width(), area.Height(), canvas_, 0, 0, SRCCOPY);
    }

private:
    HDC const& screen_;
    HDC canvas_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace

BusyIndicatorWindow::~BusyIndicatorWindow() { Release(); }

void BusyIndicatorWindow::Subclass(HWND control) {
    control_ = control;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    staticProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BusyIndicatorWindow::Procedure)));
    model_.AttachView(this);
}

void BusyIndicatorWindow::Release() {
    const HWND control = control_.exchange(nullptr);
    if (!control) return;
    model_.AttachView(nullptr);
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProcedure_));
}

// Any thread: invalidating queues a paint for the window's own thread and never waits for it.
void BusyIndicatorWindow::Invalidate() {
    if (HWND control = control_) InvalidateRect(control, nullptr, FALSE);
}

PixelRect BusyIndicatorWindow::ClientRect() const {
    RECT client{};
    GetClientRect(control_, &client);
    return {client.left, client.top, client.right, client.bottom};
}

Colour BusyIndicatorWindow::SystemButtonFace() const {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    return {GetRValue(face), GetGValue(face), GetBValue(face)};
}

std::unique_ptr<OffscreenCanvas> BusyIndicatorWindow::CreateOffscreenCanvas(int32_t width, int32_t height) {
    return std::make_unique<GdiBitmapCanvas>(control_, width, height, screen_);
}

LRESULT CALLBACK BusyIndicatorWindow::Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<BusyIndicatorWindow*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    const WNDPROC base = self->staticProcedure_;
    if (message > WM_USER && message <= WM_USER + BusyMessage::SetUseSystemBackground)
        return self->model_.HandleMessage(static_cast<int32_t>(message - WM_USER), static_cast<intptr_t>(wParam),
                                          static_cast<intptr_t>(lParam));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        self->screen_ = BeginPaint(control, &paint);
        self->model_.OnPaint();
        self->screen_ = nullptr;
        EndPaint(control, &paint);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // the paint covers the whole control
    case WM_SIZE: self->model_.OnSize(); break;
    case WM_SYSCOLORCHANGE: self->model_.OnSystemColourChange(); break;
    case WM_NCDESTROY: self->Release(); break;
    default: break;
    }
    return CallWindowProcW(base, control, message, wParam, lParam);
}

#pragma once

#include <cstdint>
#include <memory>

struct Colour {
    uint8_t red, green, blue;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The drawing the busy indicator needs, so that one drawing serves every front end.
class BusyCanvas {
public:
    virtual ~BusyCanvas() = default;
    virtual void FillRect(const PixelRect& rect, Colour fill) = 0;
    // A one-pixel outline on the rectangle's own edge pixels, the inside filled.
    virtual void OutlinedRect(const PixelRect& rect, Colour outline, Colour fill) = 0;
};

// An off-screen canvas that keeps its picture between paints.
class OffscreenCanvas : public BusyCanvas {
public:
    // Copies the whole picture to the screen at `area`, in one transfer.
    virtual void CopyToScreen(const PixelRect& area) = 0;
};

// The window side of the busy indicator. Invalidate may be called from any thread and never
// waits for the window; the rest are called on the window's own thread.
class BusyView {
public:
    virtual ~BusyView() = default;
    virtual void Invalidate() = 0;
    virtual PixelRect ClientRect() const = 0;
    virtual Colour SystemButtonFace() const = 0;
    virtual std::unique_ptr<OffscreenCanvas> CreateOffscreenCanvas(int32_t width, int32_t height) = 0;
};

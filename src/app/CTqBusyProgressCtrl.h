#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "app/BusyCanvas.h"

// Operations of the indicator reachable as window messages: the message is the platform's first
// private message number plus one of these; the value travels in the first parameter (the range
// uses both), a colour as 0x00BBGGRR.
namespace BusyMessage {
inline constexpr int32_t SetBlockCount = 1;
inline constexpr int32_t SetPosition = 2;
inline constexpr int32_t SetSpacing = 3;
inline constexpr int32_t SetInterval = 4;
inline constexpr int32_t SetRange = 5;
inline constexpr int32_t SetMode = 6;
inline constexpr int32_t StartAnimation = 7;
inline constexpr int32_t StopAnimation = 8;
inline constexpr int32_t Step = 9;
inline constexpr int32_t SetMotion = 10;
inline constexpr int32_t SetDrawType = 11;
inline constexpr int32_t SetSubsteps = 12;
inline constexpr int32_t SetBackgroundColour = 13;
inline constexpr int32_t SetBlockColour = 14;
inline constexpr int32_t SetBlockOutlineColour = 15;
inline constexpr int32_t SetActiveColour = 16;
inline constexpr int32_t SetActiveOutlineColour = 17;
inline constexpr int32_t RecalcLayout = 18;
inline constexpr int32_t ResetPosition = 19;
inline constexpr int32_t SetUseSystemBackground = 20;
}  // namespace BusyMessage

Colour ColourFromParam(intptr_t value);
intptr_t ColourToParam(Colour colour);

// The activity indicator: a row of blocks with one moving highlight or a growing bar (busy
// mode), or a fill in proportion to a position within a range (progress mode). It draws itself
// onto an off-screen canvas of its view. Step may run on any thread (the receive thread, the
// animation thread), so what Step reads and writes is atomic; the rest belongs to the window's
// thread.
class CTqBusyProgressCtrl {
public:
    enum Mode : int32_t { BusyMode = 1, ProgressMode = 2 };
    enum Motion : int32_t { Bounce = 1, WrapForward = 2, WrapBackward = 4 };
    enum DrawType : int32_t { MovingBlock = 1, GrowingBar = 2 };

    CTqBusyProgressCtrl(int32_t blockCount, int32_t position);
    virtual ~CTqBusyProgressCtrl();
    CTqBusyProgressCtrl(const CTqBusyProgressCtrl&) = delete;
    CTqBusyProgressCtrl& operator=(const CTqBusyProgressCtrl&) = delete;

    // The window that shows the control; null detaches it. Set while no animation runs.
    void AttachView(BusyView* view);

    // The operations, as their messages do them.
    void SetBlockCount(int32_t count);
    void SetPosition(int32_t position);
    void SetSpacing(int32_t spacing);
    void SetInterval(int32_t ms);
    void SetRange(int32_t lower, int32_t upper);
    void SetMode(int32_t mode);
    void StartAnimation();
    void StopAnimation();
    void Step();
    void SetMotion(int32_t motion);
    void SetDrawType(int32_t drawType);
    void SetSubsteps(int32_t substeps);
    void SetBackgroundColour(Colour c);
    void SetBlockColour(Colour c);
    void SetBlockOutlineColour(Colour c);
    void SetActiveColour(Colour c);
    void SetActiveOutlineColour(Colour c);
    void RecalcLayout();
    void ResetPosition();
    void SetUseSystemBackground(bool use);

    // A window message addressed to the control (offset from the first private message); 0.
    intptr_t HandleMessage(int32_t offset, intptr_t first, intptr_t second);

    // Window events.
    void OnPaint();
    void OnSize();
    void OnSystemColourChange();

    // Draws background and blocks onto a canvas of the area's size.
    void Draw(BusyCanvas& canvas);

    int32_t BlockCount() const { return blockCount_; }
    int32_t Spacing() const { return spacing_; }
    int32_t Motion() const { return motion_; }
    int32_t Mode() const { return mode_; }
    int32_t DrawType() const { return drawType_; }
    int32_t Substeps() const { return substeps_; }
    int32_t Steps() const { return steps_; }
    int32_t Interval() const { return interval_; }
    int32_t RangeLower() const { return rangeLower_; }
    int32_t RangeUpper() const { return rangeUpper_; }
    int32_t Position() const { return position_; }
    int32_t Direction() const { return direction_; }
    bool UsesSystemBackground() const { return useSystemBackground_; }
    bool Animating() const;
    PixelRect Area() const { return area_; }
    double BlockWidth() const { return blockWidth_; }
    double BlockHeight() const { return blockHeight_; }
    Colour BackgroundColour() const { return backgroundColour_; }
    Colour BlockColour() const { return blockColour_; }
    Colour BlockOutlineColour() const { return blockOutlineColour_; }
    Colour ActiveColour() const { return activeColour_; }
    Colour ActiveOutlineColour() const { return activeOutlineColour_; }

protected:
    virtual void DrawBackground(BusyCanvas& canvas, const PixelRect& rect);
    virtual void DrawBlock(BusyCanvas& canvas, const PixelRect& rect);
    virtual void DrawActiveBlock(BusyCanvas& canvas, const PixelRect& rect);
    virtual void DrawPartialBlock(BusyCanvas& canvas, const PixelRect& rect, int32_t width);

private:
    PixelRect BlockRect(int32_t index) const;
    void DrawBlocks(BusyCanvas& canvas);
    void Invalidate();
    void AnimationLoop();

    std::atomic<int32_t> blockCount_;
    std::atomic<int32_t> direction_{1};
    std::atomic<int32_t> position_;
    PixelRect area_{};
    int32_t spacing_ = 1;
    double blockHeight_ = 0;
    double blockWidth_ = 0;
    std::atomic<int32_t> interval_{100};
    std::atomic<int32_t> mode_{BusyMode};
    int32_t rangeLower_ = 0;
    int32_t rangeUpper_ = 100;
    bool useSystemBackground_ = true;
    std::atomic<int32_t> motion_{Bounce};
    std::atomic<int32_t> drawType_{MovingBlock};
    int32_t substeps_ = 5;
    std::atomic<int32_t> steps_;
    Colour backgroundColour_{240, 240, 240};  // until a view tells the system's colour
    Colour blockColour_{160, 190, 220};
    Colour blockOutlineColour_{50, 90, 135};
    Colour activeColour_{190, 220, 255};
    Colour activeOutlineColour_{50, 90, 135};
    std::unique_ptr<OffscreenCanvas> memoryCanvas_;
    std::atomic<BusyView*> view_{nullptr};

    std::thread animation_;
    mutable std::mutex animationMutex_;
    std::condition_variable animationWake_;
    bool run_ = false;
};

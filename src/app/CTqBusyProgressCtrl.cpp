#include "app/CTqBusyProgressCtrl.h"

#include <algorithm>
#include <chrono>

Colour ColourFromParam(intptr_t value) {
    const auto v = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>((v >> 16) & 0xFF)};
}

intptr_t ColourToParam(Colour c) {
    return static_cast<intptr_t>(uint32_t{c.red} | uint32_t{c.green} << 8 | uint32_t{c.blue} << 16);
}

CTqBusyProgressCtrl::CTqBusyProgressCtrl(int32_t blockCount, int32_t position)
    : blockCount_(blockCount), position_(position), steps_(blockCount * 5) {}

// The animation thread steps this object: it ends before the object goes.
CTqBusyProgressCtrl::~CTqBusyProgressCtrl() { StopAnimation(); }

void CTqBusyProgressCtrl::AttachView(BusyView* view) {
    view_ = view;
    memoryCanvas_.reset();
    if (view && useSystemBackground_) backgroundColour_ = view->SystemButtonFace();
}

void CTqBusyProgressCtrl::Invalidate() {
    if (BusyView* view = view_) view->Invalidate();
}

void CTqBusyProgressCtrl::SetBlockCount(int32_t count) {
    blockCount_ = count;
    RecalcLayout();
    Invalidate();
}

void CTqBusyProgressCtrl::SetPosition(int32_t position) {
    position_ = position;
    Invalidate();
}

void CTqBusyProgressCtrl::SetSpacing(int32_t spacing) {
    spacing_ = spacing;
    RecalcLayout();
    Invalidate();
}

void CTqBusyProgressCtrl::SetInterval(int32_t ms) { interval_ = ms; }

void CTqBusyProgressCtrl::SetRange(int32_t lower, int32_t upper) {
    rangeLower_ = lower;
    rangeUpper_ = upper;
}

void CTqBusyProgressCtrl::SetMode(int32_t mode) {
    StopAnimation();
    mode_ = mode;
    if (mode == ProgressMode) direction_ = 1;
}

void CTqBusyProgressCtrl::SetMotion(int32_t motion) {
    motion_ = motion;
    if (mode_ & BusyMode) {
        if (motion == WrapForward) direction_ = 1;
        if (motion == WrapBackward) direction_ = -1;
    }
}

void CTqBusyProgressCtrl::SetDrawType(int32_t drawType) {
    if (!(mode_ & BusyMode)) return;
    drawType_ = drawType;
    // Before the reset: wrapping backward starts from the last step.
    if (drawType == GrowingBar) steps_ = blockCount_ * substeps_;
    ResetPosition();
}

void CTqBusyProgressCtrl::SetSubsteps(int32_t substeps) {
    substeps_ = substeps;
    SetDrawType(drawType_);
}

void CTqBusyProgressCtrl::SetBackgroundColour(Colour c) {
    backgroundColour_ = c;
    Invalidate();
}

void CTqBusyProgressCtrl::SetBlockColour(Colour c) {
    blockColour_ = c;
    Invalidate();
}

void CTqBusyProgressCtrl::SetBlockOutlineColour(Colour c) {
    blockOutlineColour_ = c;
    Invalidate();
}

void CTqBusyProgressCtrl::SetActiveColour(Colour c) {
    activeColour_ = c;
    Invalidate();
}

void CTqBusyProgressCtrl::SetActiveOutlineColour(Colour c) {
    activeOutlineColour_ = c;
    Invalidate();
}

void CTqBusyProgressCtrl::SetUseSystemBackground(bool use) {
    useSystemBackground_ = use;
    if (BusyView* view = view_; use && view) backgroundColour_ = view->SystemButtonFace();
    Invalidate();
}

void CTqBusyProgressCtrl::Step() {
    if (mode_ & BusyMode) {
        const int32_t type = drawType_;
        const int32_t n = type == MovingBlock ? blockCount_.load() : type == GrowingBar ? steps_.load() : 0;
        switch (motion_) {
        case Bounce:
            if (position_ >= n - 1) direction_ = -1;
            if (position_ <= 0) direction_ = 1;
            break;
        case WrapForward:
            if (position_ == n - 1) position_ = -1;
            break;
        case WrapBackward:
            if (position_ == 0) position_ = n;
            break;
        default: break;
        }
    }
    position_ += direction_;
    Invalidate();
}

void CTqBusyProgressCtrl::ResetPosition() {
    if (mode_ & BusyMode) {
        const bool backward = motion_ == WrapBackward;
        position_ = backward ? (drawType_ == GrowingBar ? steps_.load() : blockCount_.load()) : 0;
        direction_ = backward ? -1 : 1;
    } else {
        position_ = 0;
        direction_ = 1;
    }
}

void CTqBusyProgressCtrl::RecalcLayout() {
    if (BusyView* view = view_; area_.IsEmpty() && view) area_ = view->ClientRect();
    const int32_t count = blockCount_;
    // No blocks, no width: a count the dialog never sets must not divide by zero.
    blockWidth_ = count > 0 ? (area_.Width() - double(count) * spacing_) / count : 0.0;
    blockHeight_ = area_.Height();
}

intptr_t CTqBusyProgressCtrl::HandleMessage(int32_t offset, intptr_t first, intptr_t second) {
    const auto value = static_cast<int32_t>(first);
    switch (offset) {
    case BusyMessage::SetBlockCount: SetBlockCount(value); break;
    case BusyMessage::SetPosition: SetPosition(value); break;
    case BusyMessage::SetSpacing: SetSpacing(value); break;
    case BusyMessage::SetInterval: SetInterval(value); break;
    case BusyMessage::SetRange: SetRange(value, static_cast<int32_t>(second)); break;
    case BusyMessage::SetMode: SetMode(value); break;
    case BusyMessage::StartAnimation: StartAnimation(); break;
    case BusyMessage::StopAnimation: StopAnimation(); break;
    case BusyMessage::Step: Step(); break;
    case BusyMessage::SetMotion: SetMotion(value); break;
    case BusyMessage::SetDrawType: SetDrawType(value); break;
    case BusyMessage::SetSubsteps: SetSubsteps(value); break;
    case BusyMessage::SetBackgroundColour: SetBackgroundColour(ColourFromParam(first)); break;
    case BusyMessage::SetBlockColour: SetBlockColour(ColourFromParam(first)); break;
    case BusyMessage::SetBlockOutlineColour: SetBlockOutlineColour(ColourFromParam(first)); break;
    case BusyMessage::SetActiveColour: SetActiveColour(ColourFromParam(first)); break;
    case BusyMessage::SetActiveOutlineColour: SetActiveOutlineColour(ColourFromParam(first)); break;
    case BusyMessage::RecalcLayout: RecalcLayout(); break;
    case BusyMessage::ResetPosition: ResetPosition(); break;
    case BusyMessage::SetUseSystemBackground: SetUseSystemBackground(first != 0); break;
    default: break;
    }
    return 0;
}

// ---- Painting ----

void CTqBusyProgressCtrl::OnPaint() {
    BusyView* view = view_;
    if (!view) return;
    if (area_.IsEmpty()) RecalcLayout();
    if (area_.IsEmpty()) return;
    if (!memoryCanvas_) memoryCanvas_ = view->CreateOffscreenCanvas(area_.Width(), area_.Height());
    Draw(*memoryCanvas_);
    memoryCanvas_->CopyToScreen(area_);
}

// The blocks are laid out again for the new size too: drawn at the old width on the new canvas
// they would miss its edge or run past it.
void CTqBusyProgressCtrl::OnSize() {
    if (BusyView* view = view_) area_ = view->ClientRect();
    memoryCanvas_.reset();
    RecalcLayout();
}

void CTqBusyProgressCtrl::OnSystemColourChange() {
    BusyView* view = view_;
    if (!useSystemBackground_ || !view) return;
    backgroundColour_ = view->SystemButtonFace();
    Invalidate();
}

void CTqBusyProgressCtrl::Draw(BusyCanvas& canvas) {
    DrawBackground(canvas, {0, 0, area_.Width(), area_.Height()});
    DrawBlocks(canvas);
}

PixelRect CTqBusyProgressCtrl::BlockRect(int32_t index) const {
    // x(i) accumulates as a double, as the blocks are laid out; its whole part is the pixel.
    double x = 0;
    for (int32_t i = 0; i < index; ++i) x += spacing_ + blockWidth_;
    return {static_cast<int32_t>(x), 0, static_cast<int32_t>(x + blockWidth_), static_cast<int32_t>(blockHeight_)};
}

// Fraction of the bar filled: position within steps (growing bar) or within the range, kept
// within 0..1 so that a position outside never draws past the last block.
static double FilledFraction(int32_t position, int32_t lower, int32_t span) {
    if (span <= 0) return 0.0;
    return std::clamp(double(position - lower) / span, 0.0, 1.0);
}

void CTqBusyProgressCtrl::DrawBlocks(BusyCanvas& canvas) {
    const int32_t count = blockCount_;
    const int32_t position = position_;
    const bool busy = mode_ & BusyMode;
    if (busy && drawType_ == MovingBlock) {
        for (int32_t i = 0; i < count; ++i) {
            if (i == position)
                DrawActiveBlock(canvas, BlockRect(i));
            else
                DrawBlock(canvas, BlockRect(i));
        }
        return;
    }
    if (busy && drawType_ != GrowingBar) return;
    if (!busy && !(mode_ & ProgressMode)) return;

    const double f =
        busy ? FilledFraction(position, 0, steps_) : FilledFraction(position, rangeLower_, rangeUpper_ - rangeLower_);
    const double filled = count * f;
    const auto lastFull = static_cast<int32_t>(filled) - 1;
    const double remainder = filled - 1 - lastFull;
    for (int32_t i = 0; i < count; ++i) {
        const PixelRect rect = BlockRect(i);
        if (i <= lastFull) {
            DrawActiveBlock(canvas, rect);
            continue;
        }
        DrawBlock(canvas, rect);
        if (i == lastFull + 1) {
            const auto width = static_cast<int32_t>(blockWidth_ * remainder);
            if (width != 0) DrawPartialBlock(canvas, rect, width);
        }
    }
}

void CTqBusyProgressCtrl::DrawBackground(BusyCanvas& canvas, const PixelRect& rect) {
    canvas.FillRect(rect, backgroundColour_);
}

void CTqBusyProgressCtrl::DrawBlock(BusyCanvas& canvas, const PixelRect& rect) {
    canvas.OutlinedRect(rect, blockOutlineColour_, blockColour_);
}

void CTqBusyProgressCtrl::DrawActiveBlock(BusyCanvas& canvas, const PixelRect& rect) {
    canvas.OutlinedRect(rect, activeOutlineColour_, activeColour_);
}

void CTqBusyProgressCtrl::DrawPartialBlock(BusyCanvas& canvas, const PixelRect& rect, int32_t width) {
    PixelRect inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    inner.right = std::min(inner.left + width, rect.right - 1);
    canvas.FillRect(inner, activeColour_);
}

// ---- Animation ----

// Busy mode only. The run flag is raised before the thread exists, so a stop that comes before
// the thread got going is never lost.
void CTqBusyProgressCtrl::StartAnimation() {
    if (!(mode_ & BusyMode)) return;
    StopAnimation();
    {
        std::lock_guard lock(animationMutex_);
        run_ = true;
    }
    animation_ = std::thread([this] { AnimationLoop(); });
}

// The thread sleeps on the condition between steps, so a stop ends it at once and it is always
// joined: no thread is ever left running on the control.
void CTqBusyProgressCtrl::StopAnimation() {
    {
        std::lock_guard lock(animationMutex_);
        run_ = false;
    }
    animationWake_.notify_all();
    if (animation_.joinable()) animation_.join();
}

bool CTqBusyProgressCtrl::Animating() const {
    std::lock_guard lock(animationMutex_);
    return run_;
}

void CTqBusyProgressCtrl::AnimationLoop() {
    std::unique_lock lock(animationMutex_);
    while (run_) {
        lock.unlock();
        Step();
        lock.lock();
        animationWake_.wait_for(lock, std::chrono::milliseconds(interval_.load()), [this] { return !run_; });
    }
}

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "app/CTqBusyProgressCtrl.h"

namespace {

// One drawing call, as the control made it.
struct Drawn {
    std::string kind;  // "fill" or "outlined"
    PixelRect rect;
    Colour outline, fill;
};

class RecordingCanvas : public OffscreenCanvas {
public:
    RecordingCanvas(int32_t width, int32_t height, std::vector<PixelRect>* copies)
        : width(width), height(height), copies_(copies) {}
    void FillRect(const PixelRect& rect, Colour fill) override { drawn.push_back({"fill", rect, {}, fill}); }
    void OutlinedRect(const PixelRect& rect, Colour outline, Colour fill) override {
        drawn.push_back({"outlined", rect, outline, fill});
    }
    void CopyToScreen(const PixelRect& area) override { copies_->push_back(area); }

    int32_t width, height;
    std::vector<Drawn> drawn;

private:
    std::vector<PixelRect>* copies_;
};

class RecordingView : public BusyView {
public:
    void Invalidate() override { ++invalidations; }
    PixelRect ClientRect() const override { return client; }
    Colour SystemButtonFace() const override { return buttonFace; }
    std::unique_ptr<OffscreenCanvas> CreateOffscreenCanvas(int32_t width, int32_t height) override {
        auto canvas = std::make_unique<RecordingCanvas>(width, height, &copies);
        canvases.push_back(canvas.get());
        return canvas;
    }

    PixelRect client{0, 0, 120, 8};
    Colour buttonFace{212, 208, 200};
    std::atomic<int> invalidations{0};
    std::vector<RecordingCanvas*> canvases;  // owned by the control; the last one is alive
    std::vector<PixelRect> copies;
};

constexpr Colour kBlockFill{1, 2, 3}, kBlockOutline{4, 5, 6}, kActiveFill{7, 8, 9}, kActiveOutline{10, 11, 12};

class BusyIndicatorDraw : public ::testing::Test {
protected:
    void SetUp() override {
        ctrl.AttachView(&view);
        ctrl.SetSpacing(2);
        ctrl.SetBlockColour(kBlockFill);
        ctrl.SetBlockOutlineColour(kBlockOutline);
        ctrl.SetActiveColour(kActiveFill);
        ctrl.SetActiveOutlineColour(kActiveOutline);
        ctrl.OnSize();
    }

    // Paints and returns what went onto the canvas after the background.
    std::vector<Drawn> Paint() {
        ctrl.OnPaint();
        std::vector<Drawn> drawn = view.canvases.back()->drawn;
        view.canvases.back()->drawn.clear();
        EXPECT_EQ(drawn.front().kind, "fill");
        drawn.erase(drawn.begin());
        return drawn;
    }

    // "A" active block, "p" plain block, "p+N" plain block with a partial fill N pixels wide.
    static std::vector<std::string> Pattern(const std::vector<Drawn>& drawn) {
        std::vector<std::string> out;
        for (const Drawn& d : drawn) {
            if (d.kind == "outlined")
                out.push_back(d.fill == kActiveFill && d.outline == kActiveOutline ? "A" : "p");
            else
                out.back() += "+" + std::to_string(d.rect.Width());
        }
        return out;
    }

    RecordingView view;
    CTqBusyProgressCtrl ctrl{10, 0};
};

TEST_F(BusyIndicatorDraw, MovingBlockHighlightsThePosition) {
    ctrl.SetPosition(3);
    EXPECT_EQ(Pattern(Paint()), (std::vector<std::string>{"p", "p", "p", "A", "p", "p", "p", "p", "p", "p"}));
}

TEST_F(BusyIndicatorDraw, ProgressModeFillsInProportionWithAPartialBlock) {
    ctrl.SetMode(CTqBusyProgressCtrl::ProgressMode);
    ctrl.SetRange(0, 100);
    ctrl.SetPosition(45);
    const std::vector<Drawn> drawn = Paint();
    EXPECT_EQ(Pattern(drawn), (std::vector<std::string>{"A", "A", "A", "A", "p+5", "p", "p", "p", "p", "p"}));
    // 120 px, 10 blocks, spacing 2: blocks 10 px wide every 12 px; the partial fill stays inside
    // block 4's outline.
    EXPECT_EQ(drawn[4].rect, (PixelRect{48, 0, 58, 8}));
    EXPECT_EQ(drawn[5].rect, (PixelRect{49, 1, 54, 7}));
    EXPECT_EQ(drawn[5].fill, kActiveFill);
}

TEST_F(BusyIndicatorDraw, ProgressFillFollowsTheRangeAndStaysWithinTheBlocks) {
    ctrl.SetMode(CTqBusyProgressCtrl::ProgressMode);
    struct Case {
        int32_t lower, upper, position;
        std::vector<std::string> pattern;
    };
    const std::vector<std::string> none(10, "p");
    const std::vector<std::string> all(10, "A");
    for (const Case& c :
         {Case{0, 100, 0, none}, Case{0, 100, 100, all}, Case{0, 100, 250, all}, Case{0, 100, -30, none},
          Case{50, 150, 100, {"A", "A", "A", "A", "A", "p", "p", "p", "p", "p"}}, Case{7, 7, 7, none}}) {
        ctrl.SetRange(c.lower, c.upper);
        ctrl.SetPosition(c.position);
        EXPECT_EQ(Pattern(Paint()), c.pattern) << c.lower << ".." << c.upper << " at " << c.position;
    }
}

TEST_F(BusyIndicatorDraw, GrowingBarCountsSubstepsPerBlock) {
    ctrl.SetDrawType(CTqBusyProgressCtrl::GrowingBar);
    ctrl.SetSubsteps(4);
    EXPECT_EQ(ctrl.Steps(), 40);
    for (int i = 0; i < 18; ++i) ctrl.Step();
    EXPECT_EQ(Pattern(Paint()), (std::vector<std::string>{"A", "A", "A", "A", "p+5", "p", "p", "p", "p", "p"}));

    // Bouncing runs over the steps, not the blocks.
    for (int i = 18; i < 39; ++i) ctrl.Step();
    EXPECT_EQ(ctrl.Position(), 39);
    ctrl.Step();
    EXPECT_EQ(ctrl.Position(), 38);

    // Wrapping backward starts at the last step.
    ctrl.SetMotion(CTqBusyProgressCtrl::WrapBackward);
    ctrl.ResetPosition();
    EXPECT_EQ(ctrl.Position(), 40);
    EXPECT_EQ(ctrl.Direction(), -1);
}

TEST_F(BusyIndicatorDraw, AResizeLaysTheBlocksOutAgainOnANewCanvas) {
    Paint();
    ASSERT_EQ(view.canvases.size(), 1u);
    EXPECT_EQ(view.canvases[0]->width, 120);

    view.client = {0, 0, 101, 14};
    ctrl.OnSize();
    EXPECT_DOUBLE_EQ(ctrl.BlockWidth(), 8.1);
    EXPECT_DOUBLE_EQ(ctrl.BlockHeight(), 14.0);
    const std::vector<Drawn> drawn = Paint();
    ASSERT_EQ(view.canvases.size(), 2u);
    EXPECT_EQ(view.canvases[1]->width, 101);
    EXPECT_EQ(view.canvases[1]->height, 14);
    // x(i) accumulates 10.1 per block; each edge is the whole part.
    EXPECT_EQ(drawn[3].rect, (PixelRect{30, 0, 38, 14}));
    EXPECT_EQ(drawn[9].rect, (PixelRect{90, 0, 98, 14}));
    EXPECT_EQ(view.copies.back(), (PixelRect{0, 0, 101, 14}));

    Paint();
    EXPECT_EQ(view.canvases.size(), 2u) << "the canvas is kept while the size stays";
}

TEST_F(BusyIndicatorDraw, BackgroundFollowsTheSystemColourUnlessTurnedOff) {
    EXPECT_EQ(ctrl.BackgroundColour(), (Colour{212, 208, 200}));
    ctrl.OnPaint();
    EXPECT_EQ(view.canvases.back()->drawn.front().fill, (Colour{212, 208, 200}));

    view.buttonFace = {240, 240, 240};
    ctrl.OnSystemColourChange();
    EXPECT_EQ(ctrl.BackgroundColour(), (Colour{240, 240, 240}));

    ctrl.SetUseSystemBackground(false);
    ctrl.SetBackgroundColour({0, 0, 0});
    view.buttonFace = {1, 1, 1};
    ctrl.OnSystemColourChange();
    EXPECT_EQ(ctrl.BackgroundColour(), (Colour{0, 0, 0}));
    ctrl.SetUseSystemBackground(true);
    EXPECT_EQ(ctrl.BackgroundColour(), (Colour{1, 1, 1}));
}

TEST(BusyIndicatorModel, StartsWithItsDesignedValues) {
    CTqBusyProgressCtrl ctrl(10, 0);
    EXPECT_EQ(ctrl.Direction(), 1);
    EXPECT_EQ(ctrl.Spacing(), 1);
    EXPECT_EQ(ctrl.Interval(), 100);
    EXPECT_EQ(ctrl.Mode(), CTqBusyProgressCtrl::BusyMode);
    EXPECT_EQ(ctrl.RangeLower(), 0);
    EXPECT_EQ(ctrl.RangeUpper(), 100);
    EXPECT_TRUE(ctrl.UsesSystemBackground());
    EXPECT_EQ(ctrl.Motion(), CTqBusyProgressCtrl::Bounce);
    EXPECT_EQ(ctrl.DrawType(), CTqBusyProgressCtrl::MovingBlock);
    EXPECT_EQ(ctrl.Substeps(), 5);
    EXPECT_EQ(ctrl.Steps(), 50);
    EXPECT_TRUE(ctrl.Area().IsEmpty());
    EXPECT_EQ(ctrl.BlockColour(), (Colour{160, 190, 220}));
    EXPECT_EQ(ctrl.BlockOutlineColour(), (Colour{50, 90, 135}));
    EXPECT_EQ(ctrl.ActiveColour(), (Colour{190, 220, 255}));
    EXPECT_EQ(ctrl.ActiveOutlineColour(), (Colour{50, 90, 135}));
    EXPECT_FALSE(ctrl.Animating());
}

TEST(BusyIndicatorModel, MessagesReachTheirOperations) {
    CTqBusyProgressCtrl ctrl(10, 0);
    using namespace BusyMessage;
    EXPECT_EQ(ctrl.HandleMessage(SetBlockCount, 8, 0), 0);
    ctrl.HandleMessage(SetSpacing, 3, 0);
    ctrl.HandleMessage(SetInterval, 250, 0);
    ctrl.HandleMessage(SetRange, 20, 80);
    ctrl.HandleMessage(SetActiveColour, 0x00FF8040, 0);
    ctrl.HandleMessage(SetMotion, CTqBusyProgressCtrl::WrapBackward, 0);
    EXPECT_EQ(ctrl.Direction(), -1);
    ctrl.HandleMessage(SetDrawType, CTqBusyProgressCtrl::GrowingBar, 0);
    EXPECT_EQ(ctrl.Steps(), 40);
    EXPECT_EQ(ctrl.Position(), 40);
    ctrl.HandleMessage(Step, 0, 0);
    EXPECT_EQ(ctrl.Position(), 39);
    ctrl.HandleMessage(SetPosition, 0, 0);
    ctrl.HandleMessage(Step, 0, 0);
    EXPECT_EQ(ctrl.Position(), 39) << "wraps backward from the first step to the last";
    ctrl.HandleMessage(SetMode, CTqBusyProgressCtrl::ProgressMode, 0);
    EXPECT_EQ(ctrl.Direction(), 1);
    ctrl.HandleMessage(SetDrawType, CTqBusyProgressCtrl::MovingBlock, 0);
    EXPECT_EQ(ctrl.DrawType(), CTqBusyProgressCtrl::GrowingBar) << "the draw type is the busy mode's";
    ctrl.HandleMessage(ResetPosition, 0, 0);
    EXPECT_EQ(ctrl.Position(), 0);

    EXPECT_EQ(ctrl.BlockCount(), 8);
    EXPECT_EQ(ctrl.Spacing(), 3);
    EXPECT_EQ(ctrl.Interval(), 250);
    EXPECT_EQ(ctrl.RangeLower(), 20);
    EXPECT_EQ(ctrl.RangeUpper(), 80);
    EXPECT_EQ(ctrl.ActiveColour(), (Colour{0x40, 0x80, 0xFF}));
    EXPECT_EQ(ColourFromParam(ColourToParam({1, 2, 3})), (Colour{1, 2, 3}));
}

TEST(BusyIndicatorModel, AnimationStepsUntilStoppedAndStopsWithoutWaitingOutItsInterval) {
    RecordingView view;
    CTqBusyProgressCtrl ctrl(10, 0);
    ctrl.AttachView(&view);
    ctrl.SetInterval(60'000);
    ctrl.StartAnimation();
    EXPECT_TRUE(ctrl.Animating());
    // The first step comes at once; the next only after a minute.
    while (ctrl.Position() == 0) std::this_thread::yield();
    const auto before = std::chrono::steady_clock::now();
    ctrl.StopAnimation();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
    EXPECT_FALSE(ctrl.Animating());
    EXPECT_EQ(ctrl.Position(), 1);
    EXPECT_GE(view.invalidations, 1);

    // A short interval keeps stepping; a stop right after a start is never lost.
    ctrl.SetInterval(1);
    ctrl.StartAnimation();
    while (ctrl.Position() < 5) std::this_thread::yield();
    ctrl.StartAnimation();
    ctrl.StopAnimation();
    EXPECT_FALSE(ctrl.Animating());

    ctrl.SetMode(CTqBusyProgressCtrl::ProgressMode);
    ctrl.StartAnimation();
    EXPECT_FALSE(ctrl.Animating()) << "only the busy mode animates";
}

}  // namespace

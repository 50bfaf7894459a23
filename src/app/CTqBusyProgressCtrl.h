#pragma once

#include <atomic>
#include <cstdint>

struct Colour {
    uint8_t red, green, blue;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// The activity indicator's model: a row of blocks with one moving highlight (busy mode) or a
// fill in proportion to a position (progress mode). Painting is the front end's; it asks the
// model for what to draw. Step may run on any thread, so position and direction are atomic.
class CTqBusyProgressCtrl {
public:
    enum Mode : int32_t { BusyMode = 1, ProgressMode = 2 };
    enum Motion : int32_t { Bounce = 1, WrapForward = 2, WrapBackward = 4 };
    enum DrawType : int32_t { MovingBlock = 1, GrowingBar = 2 };

    CTqBusyProgressCtrl(int32_t blockCount, int32_t position);

    void SetBlockCount(int32_t count) { blockCount_ = count; }
    void SetSpacing(int32_t spacing) { spacing_ = spacing; }
    void SetMotion(int32_t motion);
    void SetBlockColour(Colour c) { blockColour_ = c; }
    void SetBlockOutlineColour(Colour c) { blockOutlineColour_ = c; }
    void SetActiveColour(Colour c) { activeColour_ = c; }
    void SetActiveOutlineColour(Colour c) { activeOutlineColour_ = c; }

    void Step();
    void ResetPosition();

    int32_t BlockCount() const { return blockCount_; }
    int32_t Spacing() const { return spacing_; }
    int32_t Motion() const { return motion_; }
    int32_t Position() const { return position_; }
    Colour BlockColour() const { return blockColour_; }
    Colour BlockOutlineColour() const { return blockOutlineColour_; }
    Colour ActiveColour() const { return activeColour_; }
    Colour ActiveOutlineColour() const { return activeOutlineColour_; }

private:
    int32_t blockCount_;
    std::atomic<int32_t> direction_{1};
    std::atomic<int32_t> position_;
    int32_t spacing_ = 1;
    int32_t mode_ = BusyMode;
    int32_t motion_ = Bounce;
    int32_t drawType_ = MovingBlock;
    int32_t substeps_ = 5;
    int32_t steps_;
    Colour blockColour_{160, 190, 220};
    Colour blockOutlineColour_{50, 90, 135};
    Colour activeColour_{190, 220, 255};
    Colour activeOutlineColour_{50, 90, 135};
};

#include "app/CTqBusyProgressCtrl.h"

CTqBusyProgressCtrl::CTqBusyProgressCtrl(int32_t blockCount, int32_t position)
    : blockCount_(blockCount), position_(position), steps_(blockCount * 5) {}

void CTqBusyProgressCtrl::SetMotion(int32_t motion) {
    motion_ = motion;
    if (mode_ & BusyMode) {
        if (motion == WrapForward) direction_ = 1;
        if (motion == WrapBackward) direction_ = -1;
    }
}

void CTqBusyProgressCtrl::Step() {
    if (mode_ & BusyMode) {
        const int32_t n = drawType_ == MovingBlock ? blockCount_ : drawType_ == GrowingBar ? steps_ : 0;
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
        default:
            break;
        }
    }
    position_ += direction_;
}

void CTqBusyProgressCtrl::ResetPosition() {
    if (mode_ & BusyMode) {
        position_ = motion_ == WrapBackward ? (drawType_ == GrowingBar ? steps_ : blockCount_) : 0;
        direction_ = motion_ == WrapBackward ? -1 : 1;
    } else {
        position_ = 0;
        direction_ = 1;
    }
}

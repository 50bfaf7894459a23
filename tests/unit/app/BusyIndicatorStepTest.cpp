#include <gtest/gtest.h>

#include <vector>

#include "app/CTqBusyProgressCtrl.h"

namespace {

std::vector<int32_t> Positions(CTqBusyProgressCtrl& ctrl, int steps) {
    std::vector<int32_t> seen;
    for (int i = 0; i < steps; ++i) {
        ctrl.Step();
        seen.push_back(ctrl.Position());
    }
    return seen;
}

TEST(BusyIndicatorStep, BounceRunsUpToTheLastBlockAndBack) {
    CTqBusyProgressCtrl ctrl(10, 0);
    EXPECT_EQ(Positions(ctrl, 12), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6}));
    EXPECT_EQ(Positions(ctrl, 8), (std::vector<int32_t>{5, 4, 3, 2, 1, 0, 1, 2}));
}

TEST(BusyIndicatorStep, WrapForwardGoesFromTheLastBlockToTheFirst) {
    CTqBusyProgressCtrl ctrl(10, 8);
    ctrl.SetMotion(CTqBusyProgressCtrl::WrapForward);
    EXPECT_EQ(Positions(ctrl, 3), (std::vector<int32_t>{9, 0, 1}));
}

TEST(BusyIndicatorStep, WrapBackwardGoesFromTheFirstBlockToTheLast) {
    CTqBusyProgressCtrl ctrl(10, 1);
    ctrl.SetMotion(CTqBusyProgressCtrl::WrapBackward);
    EXPECT_EQ(Positions(ctrl, 3), (std::vector<int32_t>{0, 9, 8}));
}

}  // namespace

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/qt/QtBusyIndicator.h"
#include "ui/qt/UiCallQueue.h"

namespace {

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

class QtBusyIndicatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.SetSpacing(2);
        model.SetBlockColour({160, 190, 220});
        model.SetBlockOutlineColour({40, 70, 110});
        model.SetActiveColour({190, 220, 255});
        model.SetActiveOutlineColour({40, 70, 110});
        widget.setGeometry(0, 0, 120, 10);
    }
    QImage Picture() { return widget.grab().toImage(); }

    CTqBusyProgressCtrl model{10, 0};
    UiCallQueue calls;
    QWidget parent;
    QtBusyIndicator widget{model, calls, &parent};
};

TEST_F(QtBusyIndicatorTest, PaintsOutlinedBlocksWithTheActiveOneHighlighted) {
    model.SetPosition(1);
    const QImage picture = Picture();
    // 10 px blocks every 12 px: block 0 at 0..9, block 1 at 12..21, gaps at 10..11.
    EXPECT_EQ(At(picture, 0, 0), QColor(40, 70, 110)) << "outline on the block's own edge";
    EXPECT_EQ(At(picture, 9, 9), QColor(40, 70, 110));
    EXPECT_EQ(At(picture, 5, 5), QColor(160, 190, 220));
    EXPECT_EQ(At(picture, 17, 5), QColor(190, 220, 255));
    EXPECT_EQ(At(picture, 10, 5), widget.palette().color(QPalette::Button)) << "background between blocks";
}

TEST_F(QtBusyIndicatorTest, MessagesArriveAsEventsAndAResizeRepaintsAtTheNewSize) {
    QtBusyIndicator::SendMessage(&widget, BusyMessage::SetMode, CTqBusyProgressCtrl::ProgressMode);
    QtBusyIndicator::SendMessage(&widget, BusyMessage::SetPosition, 45);
    EXPECT_EQ(model.Mode(), CTqBusyProgressCtrl::ProgressMode);
    QImage picture = Picture();
    EXPECT_EQ(At(picture, 41, 5), QColor(190, 220, 255)) << "block 3 full";
    EXPECT_EQ(At(picture, 51, 5), QColor(190, 220, 255)) << "block 4 filled to half";
    EXPECT_EQ(At(picture, 55, 5), QColor(160, 190, 220));

    widget.resize(240, 16);
    picture = Picture();
    ASSERT_EQ(picture.width(), 240);
    EXPECT_DOUBLE_EQ(model.BlockWidth(), 22.0);
    EXPECT_EQ(At(picture, 0, 15), QColor(40, 70, 110));
    EXPECT_EQ(At(picture, 90, 8), QColor(190, 220, 255)) << "block 3 of the wider row";
    // The last block ends one spacing short of the edge: 9 x 24 + 22 = 238.
    EXPECT_EQ(At(picture, 237, 8), QColor(40, 70, 110));
    EXPECT_EQ(At(picture, 238, 8), widget.palette().color(QPalette::Button));
}

}  // namespace

#pragma once

#include <QWidget>

#include <atomic>

#include "app/CTqBusyProgressCtrl.h"

class UiCallQueue;

// The window of the busy indicator: the model draws itself through this onto a pixmap. The
// model's messages arrive as events of type QEvent::User + the message's offset. Whoever owns
// the model detaches it (AttachView(nullptr)) before either goes.
class QtBusyIndicator final : public QWidget, public BusyView {
public:
    QtBusyIndicator(CTqBusyProgressCtrl& model, UiCallQueue& calls, QWidget* parent);

    // Sends one of the model's messages to the control, as a window message would.
    static void SendMessage(QWidget* control, int32_t offset, intptr_t first, intptr_t second = 0);

    void Invalidate() override;
    PixelRect ClientRect() const override;
    Colour SystemButtonFace() const override;
    std::unique_ptr<OffscreenCanvas> CreateOffscreenCanvas(int32_t width, int32_t height) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CTqBusyProgressCtrl& model_;
    UiCallQueue& calls_;
    QPainter* screen_ = nullptr;  // the widget's painter while a paint is in progress
    std::atomic<bool> repaintPosted_{false};
};

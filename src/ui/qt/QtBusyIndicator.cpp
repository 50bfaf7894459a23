#include "ui/qt/QtBusyIndicator.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

#include <optional>

#include "ui/qt/UiCallQueue.h"

namespace {

QColor ToQColor(Colour c) { return QColor(c.red, c.green, c.blue); }

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

class QtPixmapCanvas final : public OffscreenCanvas {
public:
    QtPixmapCanvas(int32_t width, int32_t height, QPainter* const& screen) : pixmap_(width, height), screen_(screen) {}

    void FillRect(const PixelRect& rect, Colour fill) override { Painter().fillRect(ToQRect(rect), ToQColor(fill)); }

    void OutlinedRect(const PixelRect& rect, Colour outline, Colour fill) override {
        if (rect.IsEmpty()) return;
        QPainter& p = Painter();
        p.fillRect(ToQRect(rect), ToQColor(fill));
        p.setPen(QPen(ToQColor(outline), 0));
        p.setBrush(Qt::NoBrush);
        // An aliased one-pixel pen covers width + 1 pixels: this keeps it on the edge pixels.
        p.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
    }

    void CopyToScreen(const PixelRect& area) override {
        painter_.reset();
        if (screen_) screen_->drawPixmap(area.left, area.top, pixmap_);
    }

private:
    QPainter& Painter() {
        if (!painter_) painter_.emplace(&pixmap_);
        return *painter_;
    }

    QPixmap pixmap_;
    QPainter* const& screen_;
    std::optional<QPainter> painter_;
};

class BusyMessageEvent final : public QEvent {
public:
    BusyMessageEvent(int32_t offset, intptr_t first, intptr_t second)
        : QEvent(static_cast<QEvent::Type>(QEvent::User + offset)), first(first), second(second) {}
    intptr_t first, second;
};

constexpr int32_t kLastMessage = BusyMessage::SetUseSystemBackground;

}  // namespace

QtBusyIndicator::QtBusyIndicator(CTqBusyProgressCtrl& model, UiCallQueue& calls, QWidget* parent)
    : QWidget(parent), model_(model), calls_(calls) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    model_.AttachView(this);
}

void QtBusyIndicator::SendMessage(QWidget* control, int32_t offset, intptr_t first, intptr_t second) {
    BusyMessageEvent event(offset, first, second);
    QCoreApplication::sendEvent(control, &event);
}

// From other threads (the receive thread, the animation thread) the repaint is posted: it must
// never wait for this thread, which may be waiting for them.
void QtBusyIndicator::Invalidate() {
    if (calls_.OnUiThread()) {
        update();
        return;
    }
    if (repaintPosted_.exchange(true)) return;
    calls_.Post([this] {
        repaintPosted_ = false;
        update();
    });
}

PixelRect QtBusyIndicator::ClientRect() const { return {0, 0, width(), height()}; }

Colour QtBusyIndicator::SystemButtonFace() const {
    const QColor c = palette().color(QPalette::Button);
    return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}

std::unique_ptr<OffscreenCanvas> QtBusyIndicator::CreateOffscreenCanvas(int32_t width, int32_t height) {
    return std::make_unique<QtPixmapCanvas>(width, height, screen_);
}

bool QtBusyIndicator::event(QEvent* event) {
    const int offset = event->type() - QEvent::User;
    if (offset >= 1 && offset <= kLastMessage) {
        if (auto* message = dynamic_cast<BusyMessageEvent*>(event)) {
            model_.HandleMessage(offset, message->first, message->second);
            return true;
        }
    }
    return QWidget::event(event);
}

void QtBusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    screen_ = &painter;
    model_.OnPaint();
    screen_ = nullptr;
}

void QtBusyIndicator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    model_.OnSize();
}

void QtBusyIndicator::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) model_.OnSystemColourChange();
}

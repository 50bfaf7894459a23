#include "ui/qt/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Pins on both sides of the unit.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 150, 150));
    for (int y = 8; y <= 22; y += 7) {
        p.drawRect(QRectF(2, y, 4, 3));
        p.drawRect(QRectF(26, y, 4, 3));
    }
    // The unit's body.
    p.setPen(QPen(QColor(40, 70, 110), 1.5));
    p.setBrush(QColor(60, 100, 150));
    p.drawRoundedRect(QRectF(6, 4, 20, 24), 3, 3);
    // A downward arrow: new firmware going in.
    QPainterPath arrow;
    arrow.moveTo(13.5, 8);
    arrow.lineTo(18.5, 8);
    arrow.lineTo(18.5, 15);
    arrow.lineTo(22, 15);
    arrow.lineTo(16, 23);
    arrow.lineTo(10, 15);
    arrow.lineTo(13.5, 15);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 220, 255));
    p.drawPath(arrow);
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addPixmap(DrawIcon(size));
    return icon;
}

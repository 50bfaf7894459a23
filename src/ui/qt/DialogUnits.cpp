#include "ui/qt/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

#include <cmath>

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is taken over the 52 letters, rounded, as the dialog manager does.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    const auto across = [this](int v) { return static_cast<int>(std::lround(v * baseX / 4.0)); };
    const auto down = [this](int v) { return static_cast<int>(std::lround(v * baseY / 8.0)); };
    const int left = across(x), top = down(y);
    return QRect(left, top, across(x + width) - left, down(y + height) - top);
}

QSize DialogUnits::ToPixels(int width, int height) const { return ToPixels(0, 0, width, height).size(); }

QFont TemplateFont() {
    QFont font;
    // Metric-compatible faces first; fontconfig's sans default after them.
    font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                 QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

#pragma once

#include <QFont>
#include <QRect>

// Dialog units as the templates give positions: a quarter of the font's average character
// width across, an eighth of its height down.
struct DialogUnits {
    int baseX = 0;
    int baseY = 0;

    static DialogUnits ForFont(const QFont& font);
    QRect ToPixels(int x, int y, int width, int height) const;
    QSize ToPixels(int width, int height) const;
};

// The templates' font, "MS Sans Serif" 8 point, or the closest sans font the system has.
QFont TemplateFont();

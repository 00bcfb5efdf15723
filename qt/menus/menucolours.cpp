#include "qt/menus/menucolours.h"

#include <QPalette>

namespace gemino {

namespace {

bool inRange(double factor) {
    return factor > 0.0 && factor <= 1.0; // false for NaN too
}

int toward(int c, int target, double factor) {
    return static_cast<int>(c + (target - c) * factor);
}

} // namespace

QRgb TintTowardWhite(QRgb colour, double factor) {
    if (!inRange(factor)) {
        return colour;
    }
    return qRgba(toward(qRed(colour), 255, factor), toward(qGreen(colour), 255, factor),
                 toward(qBlue(colour), 255, factor), qAlpha(colour));
}

QRgb TintTowardBlack(QRgb colour, double factor) {
    if (!inRange(factor)) {
        return colour;
    }
    return qRgba(toward(qRed(colour), 0, factor), toward(qGreen(colour), 0, factor),
                 toward(qBlue(colour), 0, factor), qAlpha(colour));
}

QRgb fadedPixel(QRgb pixel) {
    return TintTowardWhite(pixel, 0.3);
}

QRgb disabledPixel(QRgb pixel, QRgb shadow) {
    const int grey = (qRed(pixel) + qGreen(pixel) + qBlue(pixel)) / 3;
    return TintTowardWhite(shadow, grey / 255.0);
}

MenuColours MenuColours::fromPalette(const QPalette& palette) {
    const auto active = [&palette](QPalette::ColorRole role) {
        return palette.color(QPalette::Active, role).rgb();
    };
    MenuColours c;
    c.face = active(QPalette::Button);
    c.window = active(QPalette::Base);
    c.menu = active(QPalette::Window);
    c.highlight = active(QPalette::Highlight);
    c.highlightText = active(QPalette::HighlightedText);
    c.menuText = active(QPalette::WindowText);
    c.grayText = palette.color(QPalette::Disabled, QPalette::WindowText).rgb();
    c.shadow = active(QPalette::Dark);
    c.hilight = active(QPalette::Light);
    return c;
}

} // namespace gemino

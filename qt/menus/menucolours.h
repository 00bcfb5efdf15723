#pragma once

#include <QRgb>

class QPalette;

namespace gemino {

// Per red, green and blue component: c + (255 - c) * factor, truncated. A factor outside
// (0, 1] leaves the colour as it is. Alpha is kept.
QRgb TintTowardWhite(QRgb colour, double factor);
// Per component: c - c * factor, truncated; factors outside (0, 1] leave the colour as it is.
QRgb TintTowardBlack(QRgb colour, double factor);

// How the three derived pictures recolour a picture's pixels (background pixels stay).
QRgb fadedPixel(QRgb pixel);
// The button shadow colour, lightened the more the brighter the pixel was.
QRgb disabledPixel(QRgb pixel, QRgb shadow);

// The system colours the menus are drawn in, taken from the palette roles that stand for them.
struct MenuColours {
    QRgb face = 0;          // COLOR_3DFACE: QPalette::Button
    QRgb window = 0;        // COLOR_WINDOW: QPalette::Base
    QRgb menu = 0;          // COLOR_MENU: QPalette::Window
    QRgb highlight = 0;     // COLOR_HIGHLIGHT: QPalette::Highlight
    QRgb highlightText = 0; // COLOR_HIGHLIGHTTEXT: QPalette::HighlightedText
    QRgb menuText = 0;      // COLOR_MENUTEXT: QPalette::WindowText
    QRgb grayText = 0;      // COLOR_GRAYTEXT: QPalette::WindowText of the disabled group
    QRgb shadow = 0;        // COLOR_BTNSHADOW and COLOR_3DSHADOW: QPalette::Dark
    QRgb hilight = 0;       // COLOR_3DHILIGHT: QPalette::Light

    static MenuColours fromPalette(const QPalette& palette);
};

} // namespace gemino

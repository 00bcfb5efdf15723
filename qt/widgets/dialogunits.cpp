#include "qt/widgets/dialogunits.h"

#include <QFontMetrics>
#include <QWidget>

namespace gemino {

namespace {

int scale(int units, int base, int divisor) {
    // Rounds to nearest, as the desktop's own conversion does.
    return (units * base + (units >= 0 ? divisor / 2 : -divisor / 2)) / divisor;
}

} // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (alphabet / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::toPixelsX(int units) const {
    return scale(units, baseX_, 4);
}

int DialogUnits::toPixelsY(int units) const {
    return scale(units, baseY_, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
    return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
}

void DialogUnits::place(QWidget* widget, int x, int y, int width, int height) const {
    widget->setGeometry(toPixels(x, y, width, height));
}

QFont DialogUnits::dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    return font;
}

} // namespace gemino

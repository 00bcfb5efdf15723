#include "qt/widgets/dialogunits.h"

#include <QDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QString>
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

void DialogUnits::prepareDialog(QDialog* dialog, int templateId, const QString& caption, int width,
                                int height) const {
    dialog->setObjectName(QString::number(templateId));
    dialog->setWindowTitle(caption);
    dialog->setFont(dialogFont());
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setWindowIcon(QIcon(QStringLiteral(":/icons/app/gemino.svg")));
    dialog->setModal(true);
    dialog->setFixedSize(toPixelsX(width), toPixelsY(height));
}

QFont DialogUnits::dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    return font;
}

} // namespace gemino

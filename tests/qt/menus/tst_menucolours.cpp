#include "qt/menus/menucolours.h"
#include "qt/menus/menupictures.h"

#include <QPalette>
#include <QTest>

#include <limits>

using namespace gemino;

// No QApplication here: the colour rules and the derived pictures need no widgets.
class TestMenuColours : public QObject {
    Q_OBJECT
private slots:
    // Tints truncate, keep alpha, and leave the colour as it is for a factor outside (0, 1].
    void tintsAndPixelRules() {
        const QRgb blue = qRgba(48, 140, 198, 200);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const struct {
            bool towardWhite;
            QRgb colour;
            double factor;
            QRgb expected;
        } cases[] = {
            {true, blue, 0.0, blue},
            {false, blue, 0.0, blue},
            {true, blue, -0.5, blue},
            {true, blue, nan, blue},
            {false, blue, 1.01, blue},
            {true, blue, 1.0, qRgba(255, 255, 255, 200)},
            {false, blue, 1.0, qRgba(0, 0, 0, 200)},
            // 48 + 207 * 0.7 = 192.9, 140 + 115 * 0.7 = 220.5, 198 + 57 * 0.7 = 237.9
            {true, blue, 0.7, qRgba(192, 220, 237, 200)},
            // 255 - 5.1 = 249.9: the menu area of a white window
            {false, qRgb(255, 255, 255), 0.02, qRgb(249, 249, 249)},
        };
        for (const auto& c : cases) {
            const QRgb got = c.towardWhite ? TintTowardWhite(c.colour, c.factor)
                                           : TintTowardBlack(c.colour, c.factor);
            QCOMPARE(QColor::fromRgba(got), QColor::fromRgba(c.expected));
        }
        QCOMPARE(fadedPixel(qRgb(0, 100, 255)), qRgb(76, 146, 255));
        const QRgb shadow = qRgb(160, 160, 160);
        QCOMPARE(disabledPixel(qRgb(0, 0, 0), shadow), shadow);
        QCOMPARE(disabledPixel(qRgb(255, 255, 255), shadow), qRgb(255, 255, 255));
        // grey = (10 + 20 + 32) / 3 = 20; 160 + 95 * 20 / 255 = 167.45
        QCOMPARE(disabledPixel(qRgb(10, 20, 32), shadow), qRgb(167, 167, 167));
    }

    // Each system colour comes from the palette role that stands for it.
    void coloursComeFromTheirRoles() {
        QPalette palette;
        int level = 0;
        for (const QPalette::ColorRole role :
             {QPalette::Button, QPalette::Base, QPalette::Window, QPalette::Highlight,
              QPalette::HighlightedText, QPalette::WindowText, QPalette::Dark, QPalette::Light}) {
            palette.setColor(QPalette::Active, role, qRgb(++level, 0, 0));
        }
        palette.setColor(QPalette::Disabled, QPalette::WindowText, qRgb(99, 0, 0));
        const MenuColours c = MenuColours::fromPalette(palette);
        const QList<QRgb> got = {c.face,     c.window, c.menu,    c.highlight, c.highlightText,
                                 c.menuText, c.shadow, c.hilight, c.grayText};
        QCOMPARE(got, QList<QRgb>({qRgb(1, 0, 0), qRgb(2, 0, 0), qRgb(3, 0, 0), qRgb(4, 0, 0),
                                   qRgb(5, 0, 0), qRgb(6, 0, 0), qRgb(7, 0, 0), qRgb(8, 0, 0),
                                   qRgb(99, 0, 0)}));
    }

    // Three pixels: the face colour, red and the highlight colour. How the pictures are
    // recoloured shows in the menus themselves.
    void derivedPicturesKeepTheBackgroundTransparent() {
        MenuColours c;
        c.face = qRgb(239, 239, 239);
        c.shadow = qRgb(160, 160, 160);
        c.hilight = qRgb(255, 255, 255);
        QImage art(3, 1, QImage::Format_ARGB32_Premultiplied);
        art.setPixel(0, 0, c.face);
        art.setPixel(1, 0, qRgb(255, 0, 0));
        art.setPixel(2, 0, c.hilight);
        const MenuPicture p = MenuPictures::derive(art, c);

        for (const QImage* image : {&p.picture, &p.faded, &p.shadow, &p.disabled}) {
            QCOMPARE(qAlpha(image->pixel(0, 0)), 0);
        }
        // Embossed: only the red pixel counts, in shadow over its highlight one pixel down-right.
        QCOMPARE(p.greyed.size(), QSize(4, 2));
        QCOMPARE(p.greyed.pixel(1, 0), c.shadow);
        QCOMPARE(p.greyed.pixel(2, 1), c.hilight);
        for (QPoint empty :
             {QPoint(0, 0), QPoint(2, 0), QPoint(3, 0), QPoint(3, 1), QPoint(1, 1)}) {
            QCOMPARE(qAlpha(p.greyed.pixel(empty)), 0);
        }
    }
};

QTEST_APPLESS_MAIN(TestMenuColours)
#include "tst_menucolours.moc"

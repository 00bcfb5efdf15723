#include "qt/app/commands.h"
#include "qt/menus/glyphmenu.h"
#include "qt/menus/glyphmenustyle.h"
#include "qt/menus/menucolours.h"
#include "support/guitable.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <functional>
#include <numeric>

using namespace gemino;
using namespace gemino::command;

namespace {

using Rule = std::function<QRgb(QRgb)>;

const Rule same = [](QRgb pixel) { return pixel; };

// A popup as the user sees it, read in device-independent pixels whatever the screen's density.
struct Shot {
    explicit Shot(QMenu* shown)
        : menu(shown), image(shown->grab().toImage().convertToFormat(QImage::Format_RGB32)),
          ratio(image.devicePixelRatio()), c(MenuColours::fromPalette(shown->palette())) {}
    QRgb at(int x, int y) const { return image.pixel(qRound(x * ratio), qRound(y * ratio)); }
    QRect item(QAction* a) const { return menu->actionGeometry(a); }
    QRect device(const QRect& r) const { return QRect(r.topLeft() * ratio, r.size() * ratio); }
    // The columns of `area` holding dark (text) pixels.
    QList<int> inkColumns(const QRect& area) const {
        QList<int> columns;
        for (int x = area.left(); x <= area.right(); ++x) {
            if (countDark(image, device(QRect(x, area.top(), 1, area.height()))) > 0) {
                columns << x;
            }
        }
        return columns;
    }

    // Device pixels of `area` that differ from `background` overlaid, layer by layer, with the
    // command's artwork, drawn independently here, each non-face pixel recoloured by its rule.
    int pictureMismatches(int command, const QRect& area, QRgb background,
                          std::initializer_list<std::pair<QPoint, Rule>> layers) const {
        QSvgRenderer svg(QStringLiteral(":/toolbar/%1.svg").arg(command));
        QImage art(QSize(16, 15) * ratio, QImage::Format_RGB32);
        art.fill(c.face);
        QPainter painter(&art);
        svg.render(&painter);
        painter.end();
        if (distinctColors(art, art.rect()) < 3) {
            return -1;
        }
        int mismatches = 0;
        const QRect d = device(area);
        for (int y = d.top(); y <= d.bottom(); ++y) {
            for (int x = d.left(); x <= d.right(); ++x) {
                QRgb expected = background;
                for (const auto& [at, rule] : layers) {
                    const QPoint local = QPoint(x, y) - at * ratio;
                    if (art.rect().contains(local) && art.pixel(local) != opaque(c.face)) {
                        expected = opaque(rule(art.pixel(local)));
                    }
                }
                mismatches += image.pixel(x, y) != opaque(expected);
            }
        }
        return mismatches;
    }
    static QRgb opaque(QRgb c) { return c | 0xff000000u; }

    QMenu* menu;
    QImage image;
    qreal ratio;
    MenuColours c;
};

QMenu* shownMenu(QMenu* menu) {
    menu->popup(QPoint(40, 40));
    if (!QTest::qWaitForWindowExposed(menu)) {
        qWarning("the menu did not show");
    }
    return menu;
}

QMenu* popupOf(const GuiTable& t, int index) {
    return t.window->menuBar()->actions().at(index)->menu();
}

// An item's picture: centred in the 23-pixel column and the item's height.
QPoint pictureAt(const QRect& item) {
    return item.topLeft() + QPoint((23 - 16 + 1) / 2, (item.height() - 15 + 1) / 2);
}

QRect pictureCellOf(const QRect& item) {
    return QRect(item.left() + 1, item.top() + 1, 20, item.height() - 2);
}

} // namespace

class TestGlyphMenu : public QObject {
    Q_OBJECT
private slots:
    void flatLookSizesColumnSeparatorsTextsAndHighlight() {
        GuiTable t;
        QMenu* game = shownMenu(popupOf(t, 0));
        const Shot s(game);
        const QRgb area = TintTowardBlack(s.c.window, 0.02);
        QVERIFY(area != s.c.face);
        for (QAction* a : game->actions()) {
            QCOMPARE(s.item(a).height(), a->isSeparator() ? 3 : 22);
        }
        const QRect sep = s.item(game->actions().at(2));
        QCOMPARE(s.at(sep.left() + 22, sep.top() + 1), s.c.face); // the column
        QCOMPARE(s.at(sep.left() + 23, sep.top()), area);
        QCOMPARE(s.at(sep.left() + 23, sep.top() + 1), s.c.shadow); // etched from the column on
        QCOMPARE(s.at(sep.right(), sep.top() + 2), s.c.hilight);

        // "E&xit" has no picture: a plain column, the text from 31 pixels on.
        const QRect exit = s.item(t.action(Exit));
        QCOMPARE(distinctColors(s.image, s.device(exit.adjusted(0, 0, 23 - exit.width(), 0))), 1);
        QCOMPARE(s.at(exit.left(), exit.top()), s.c.face);
        QCOMPARE(s.at(exit.left() - 1, exit.top()), s.c.face); // the column runs through the margin
        QCOMPARE(s.at(exit.left() + 23, exit.top() + 1), area);
        const int textLeft = s.inkColumns(exit).first() - exit.left();
        QVERIFY2(textLeft >= 31 && textLeft <= 33, qPrintable(QString::number(textLeft)));

        // The accelerators end in one column 16 pixels before the right edge, well clear of
        // the widest label.
        for (int id : {NewGame, PlayerNames, TimedGame}) {
            const QRect r = s.item(t.action(id));
            const int right = r.right() - s.inkColumns(r).last();
            QVERIFY2(right >= 16 && right <= 18, qPrintable(QString::number(right)));
        }
        QList<int> ink = s.inkColumns(s.item(t.action(PlayerNames)));
        std::adjacent_difference(ink.begin(), ink.end(), ink.begin());
        QVERIFY(*std::max_element(ink.begin() + 1, ink.end()) > 14);

        // Highlighted: filled, framed, the picture lifted over its shadow.
        game->setActiveAction(t.action(NewGame));
        const Shot h(game);
        const QRect r = h.item(t.action(NewGame));
        const QRgb fill = TintTowardWhite(h.c.highlight, 0.7);
        QCOMPARE(h.at(r.left() + 25, r.top() + 2), fill);
        for (QPoint frame : {r.topLeft(), r.bottomRight(), QPoint(r.left(), r.center().y())}) {
            QCOMPARE(h.at(frame.x(), frame.y()), h.c.highlight);
        }
        const auto shadow = [&h](QRgb) { return h.c.shadow; };
        const QPoint at = pictureAt(r);
        QCOMPARE(h.pictureMismatches(NewGame, r.adjusted(1, 1, 23 - r.width(), -1), fill,
                                     {{at + QPoint(1, 1), shadow}, {at - QPoint(1, 1), same}}),
                 0);
        // A checked item's cell is tinted more strongly while highlighted.
        QVERIFY(t.action(TwoPlayers)->isChecked());
        game->setActiveAction(t.action(TwoPlayers));
        const Shot checked(game);
        const QRect c = checked.item(t.action(TwoPlayers));
        QCOMPARE(checked.at(c.left() + 2, c.top() + 2), TintTowardWhite(h.c.highlight, 0.55));
        QCOMPARE(checked.at(c.left() + 1, c.bottom() - 1), h.c.highlight);

        // The offscreen screen has 32 bits per pixel: the flat look, unless asked otherwise. The
        // classic look keeps the sizes, with a raised cell around a highlighted picture.
        auto* style = qobject_cast<GlyphMenuStyle*>(game->style());
        QCOMPARE(style->look(), GlyphMenuStyle::Look::Automatic);
        style->setLook(GlyphMenuStyle::Look::Classic);
        game->setActiveAction(t.action(NewGame));
        const Shot k(game);
        QCOMPARE(k.item(t.action(NewGame)), r);
        QCOMPARE(k.item(game->actions().at(2)), sep);
        QCOMPARE(k.at(r.left() + 20, r.top()), k.c.face);
        QCOMPARE(k.at(r.left() + 21, r.top()), k.c.highlight);
        QCOMPARE(k.at(r.right(), r.bottom()), k.c.highlight);
        QCOMPARE(k.at(r.left() + 1, r.top() + 2), k.c.hilight);
        QCOMPARE(k.at(r.left() + 18, r.top() + 18), k.c.shadow);
        const QPoint raised = r.topLeft() + QPoint(2, 3);
        QCOMPARE(
            k.pictureMismatches(NewGame, QRect(raised, QSize(16, 15)), k.c.face, {{raised, same}}),
            0);
        QCOMPARE(k.at(sep.left(), sep.top() + 1), k.c.shadow);
        QCOMPARE(k.at(exit.left() + 25, exit.top() + 1), k.c.face);
        // Greyed, the picture is embossed in the shadow and highlight colours.
        t.action(NewGame)->setEnabled(false);
        const Shot g(game);
        QCOMPARE(distinctColors(g.image, g.device(QRect(raised, QSize(17, 16)))), 3);
    }

    // Each item with a toolbar command shows that command's picture, faded, greyed or checked
    // as its state says; no other item has one.
    void everyToolbarCommandShowsItsPicture() {
        GuiTable t;
        t.action(TimedGame)->trigger(); // checked, then greyed by the first pick
        QTest::mouseClick(t.button(t.pair().first), Qt::LeftButton); // greys two commands
        QSet<int> onToolbar;
        for (const QAction* a : t.toolBar()->actions()) {
            if (!a->isSeparator()) {
                onToolbar.insert(a->objectName().toInt());
            }
        }
        QMenu* images = popupOf(t, 1);
        int pictures = 0;
        for (QMenu* popup : {popupOf(t, 0), images, images->actions().at(0)->menu(), popupOf(t, 2),
                             popupOf(t, 3)}) {
            const Shot s(shownMenu(popup));
            const Rule greyed = [&s](QRgb p) { return disabledPixel(p, s.c.shadow); };
            for (QAction* a : popup->actions()) {
                const QRect cell = pictureCellOf(s.item(a));
                const int id = a->objectName().toInt();
                const QPoint at = pictureAt(s.item(a));
                int wrong = 0;
                if (a->isSeparator() || !onToolbar.contains(id)) {
                    wrong = distinctColors(s.image, s.device(cell)) - 1;
                } else if (a->isChecked()) {
                    // Greyed, the cell is grey, so that the check still shows.
                    const QRgb edge = a->isEnabled() ? s.c.highlight : s.c.grayText;
                    QCOMPARE(s.at(cell.left(), cell.top()), edge);
                    wrong = s.pictureMismatches(
                        id, cell.adjusted(1, 1, -1, -1), TintTowardWhite(edge, 0.85),
                        {{at - QPoint(1, 1), a->isEnabled() ? same : greyed}});
                } else if (!a->isEnabled()) {
                    wrong = s.pictureMismatches(id, cell, s.c.face, {{at, greyed}});
                } else {
                    wrong = s.pictureMismatches(id, cell, s.c.face, {{at, fadedPixel}});
                }
                pictures += onToolbar.contains(id);
                QVERIFY2(wrong == 0, qPrintable(a->text() + ": " + QString::number(wrong)));
            }
            popup->hide();
        }
        QCOMPARE(pictures, 16);
    }

    void checkGlyphAndBulletForItemsWithoutPictures() {
        QMenu menu;
        QActionGroup group(&menu);
        QAction* tick = menu.addAction("&Tick");
        QAction* radio = group.addAction("&Radio");
        menu.addAction(radio);
        for (QAction* a : {tick, radio}) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        GlyphMenu glyphs;
        glyphs.attach(&menu);
        const Shot s(shownMenu(&menu));
        const QRgb fill = TintTowardWhite(s.c.highlight, 0.85);
        const QRect r = s.item(tick);
        QCOMPARE(s.at(r.left() + 1, r.top() + 1), s.c.highlight);
        const QPoint mark = r.topLeft() + QPoint(1 + 7, 1 + (r.height() - 2) / 2 - 3);
        const int top[7] = {2, 3, 4, 3, 2, 1, 0};
        for (int i = 0; i < 7; ++i) {
            for (int row = 0; row < 7; ++row) {
                const bool on = row >= top[i] && row < top[i] + 2;
                QCOMPARE(s.at(mark.x() + i, mark.y() + row), on ? s.c.menuText : fill);
            }
        }
        const QPoint bullet = mark + QPoint(0, s.item(radio).top() - r.top());
        QCOMPARE(s.at(bullet.x() + 2, bullet.y() + 2), s.c.menuText);
        QCOMPARE(s.at(bullet.x() + 3, bullet.y() + 3), s.c.menuText);
        QVERIFY(s.at(bullet.x(), bullet.y()) != s.c.menuText);
        QCOMPARE(s.at(bullet.x() + 6, bullet.y() + 3), fill);
    }

    // A greyed item is highlighted too, so that its prompt shows.
    void promptsFollowTheHighlightGreyedItemsToo() {
        GuiTable t;
        QStatusBar* bar = t.window->statusBar();
        QTest::mouseClick(t.button(t.pair().first), Qt::LeftButton);
        QMenu* game = shownMenu(popupOf(t, 0));
        QTest::mouseMove(game, game->actionGeometry(t.action(NewGame)).center());
        QTRY_COMPARE(bar->currentMessage(), t.action(NewGame)->statusTip());
        // Away from where the last test left the mouse: a menu ignores a mouse that has not moved.
        QTest::mouseMove(game, game->actionGeometry(t.action(TimedGame)).center() + QPoint(30, 0));
        QTRY_COMPARE(bar->currentMessage(),
                     QString("Display the Elapsed Time Since the Game Began"));
        // The greyed item under the mouse is drawn as not highlighted.
        const Shot s(game);
        const QRect r = s.item(t.action(TimedGame));
        QCOMPARE(s.at(r.left() + 25, r.top() + 2), TintTowardBlack(s.c.window, 0.02));
        QCOMPARE(countDark(s.image, s.device(r.adjusted(31, 0, 0, 0))), 0);
        game->hide();
        QCOMPARE(bar->currentMessage(), QString("  "));

        // Leaving a sub-menu for another item of its menu: that item's prompt stays.
        QMenu* images = shownMenu(popupOf(t, 1));
        QMenu* standard = images->actions().at(0)->menu();
        images->setActiveAction(images->actions().at(0));
        QTest::keyClick(images, Qt::Key_Right);
        QTRY_VERIFY(standard->isVisible());
        QTest::mouseMove(standard, standard->actionGeometry(t.action(FlagSet)).center());
        QTRY_COMPARE(bar->currentMessage(), t.action(FlagSet)->statusTip());
        QAction* custom = t.action(UseCustomImageSet);
        QTest::mouseMove(images, images->actionGeometry(custom).center());
        QTRY_VERIFY(!standard->isVisible());
        QCOMPARE(bar->currentMessage(), custom->statusTip());
        images->hide();

        // Letters run the items they underline, and open the sub-menus.
        QSignalSpy triggered(shownMenu(game), &QMenu::triggered);
        QSignalSpy exits(t.action(Exit), &QAction::triggered);
        QTest::keyClick(game, Qt::Key_Q); // underlined nowhere
        QCOMPARE(triggered.count(), 0);
        QVERIFY(game->isVisible());
        QTest::keyClick(game, Qt::Key_X);
        QCOMPARE(exits.count(), 1);
        QCOMPARE(triggered.count(), 1);
        QTest::keyClick(shownMenu(images), Qt::Key_S);
        QTRY_VERIFY(standard->isVisible());
    }
};

QTEST_MAIN(TestGlyphMenu)
#include "tst_glyphmenu.moc"

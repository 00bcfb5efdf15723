// The board and the dialogs as a screen reader finds them, through Qt's accessibility
// interfaces, with the events of each turn recorded by an update handler.
#include "core/imagesets/standardsets.h"
#include "qt/access/boardaccessibility.h"
#include "qt/app/aboutdialog.h"
#include "qt/app/boardlayoutdialog.h"
#include "qt/app/displaypropertiesdialog.h"
#include "qt/app/gamewatch.h"
#include "qt/app/playernamesdialog.h"
#include "qt/app/recordsdialog.h"
#include "qt/app/spincontrol.h"
#include "qt/editor/createimagesetdialog.h"
#include "support/guitable.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

using namespace gemino;

namespace {

// One accessible event as the screen reader gets it: its kind, its object and the description
// it would read at that moment.
struct Heard {
    QAccessible::Event type;
    QPointer<QObject> object;
    QString description;
    QAccessible::State changed;
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
};

std::vector<Heard>* heard = nullptr;

void hear(QAccessibleEvent* event) {
    QAccessibleInterface* iface = heard ? event->accessibleInterface() : nullptr;
    const auto text = [iface](QAccessible::Text t) { return iface ? iface->text(t) : QString(); };
    if (heard) {
        heard->push_back({event->type(), event->object(), text(QAccessible::Description),
                          event->type() == QAccessible::StateChanged
                              ? static_cast<QAccessibleStateChangeEvent*>(event)->changedStates()
                              : QAccessible::State(),
                          iface ? iface->role() : QAccessible::NoRole, text(QAccessible::Name)});
    }
}

// Switches accessibility on as a screen reader's bridge does: QAccessible::setActive alone only
// tells the observers, while isActive() and updateAccessibility() ask the platform's own switch.
bool activateAccessibility() {
    QPlatformAccessibility* platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (!platform) {
        return false;
    }
    platform->setActive(true);
    QAccessible::setActive(true);
    return QAccessible::isActive();
}

QAccessibleInterface* face(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

QString labelOf(int cell, int columns) {
    return QString("%1-%2").arg(QChar('A' + cell % columns)).arg(cell / columns + 1);
}

// Chooses a cell as a blind player does, with its column letter and row digit.
void typeCell(GuiTable& t, int cell) {
    const int columns = t.settings.columns;
    QTest::keyClick(t.board(), static_cast<Qt::Key>(Qt::Key_A + cell % columns));
    QTest::keyClick(t.board(), static_cast<Qt::Key>(Qt::Key_1 + cell / columns));
}

QString pictureOf(GuiTable& t, int cell) {
    return t.images().image(t.state().cellImage[cell])->description;
}

// What is told as a cell is uncovered.
QString told(GuiTable& t, int cell) {
    return labelOf(cell, 8) + ": " + pictureOf(t, cell) + ".";
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    std::vector<Heard> heard_;

    // The descriptions the board announced since the last call. Each is also a notification
    // shown with the news as its name; when the two disagree, the notifications are returned.
    QStringList boardNews(GuiTable& t) {
        QStringList news;
        QStringList notified;
        for (const Heard& h : heard_) {
            if (h.object == t.board() && h.type == QAccessible::DescriptionChanged) {
                news << h.description;
            }
            if (h.type == QAccessible::ObjectShow && h.role == QAccessible::Notification) {
                notified << h.name;
            }
        }
        heard_.clear();
        return notified == news ? news : QStringList{"notified:"} + notified;
    }

private slots:
    void initTestCase() {
        QAccessible::installUpdateHandler(hear);
        QVERIFY(activateAccessibility());
        heard = &heard_;
    }
    void cleanupTestCase() { heard = nullptr; }
    void init() { heard_.clear(); }

    void boardHoldsTheCellsInPlayShownOrNotAndTheScoreboard() {
        GuiTable t(8);
        t.settings.player1Name = "Ann";
        QAccessibleInterface* board = face(t.board());
        QCOMPARE(board->role(), QAccessible::Grouping);
        QCOMPARE(board->childCount(), 34);
        for (int i = 0; i < 34; ++i) {
            QAccessibleInterface* child = board->child(i);
            QCOMPARE(board->indexOfChild(child), i);
            QCOMPARE(child->parent(), board);
            if (i < 32) {
                QCOMPARE(child->object(), t.button(i));
                QCOMPARE(child->role(), QAccessible::Button);
                QCOMPARE(child->text(QAccessible::Name), labelOf(i, 8));
                QCOMPARE(child->text(QAccessible::Description), QString("covered"));
            }
        }
        QAccessibleInterface* score = board->child(32);
        QCOMPARE(score->text(QAccessible::Name), QString("Scoreboard"));
        const QString text("Ann: 0 points. Player 2: 0 points. Ann to play.");
        QCOMPARE(score->text(QAccessible::Value), text);
        QCOMPARE(board->text(QAccessible::Value), text);
        // The news: a notification named by the latest of it.
        QAccessibleInterface* news = board->child(33);
        QCOMPARE(news->role(), QAccessible::Notification);

        // An uncovered cell's button is hidden; the cell stays, checked, saying what it shows.
        const auto [a, b] = t.pair();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QAccessibleInterface* cell = board->child(a);
        const QString picture = pictureOf(t, a);
        QVERIFY(std::find(MISC_DESCRIPTIONS.begin(), MISC_DESCRIPTIONS.end(),
                          picture.toStdString()) != MISC_DESCRIPTIONS.end());
        QVERIFY(!t.button(a)->isVisible() && !cell->state().invisible);
        QVERIFY(cell->state().checked && !board->child(b)->state().checked);
        QCOMPARE(cell->text(QAccessible::Description), picture);
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        QCOMPARE(cell->text(QAccessible::Description), picture + ", found by Ann");
        QVERIFY(cell->state().disabled && !cell->state().checked && !cell->state().invisible);
        QVERIFY(!news->state().invisible);
        QCOMPARE(news->text(QAccessible::Name), board->text(QAccessible::Description));
        QVERIFY(news->text(QAccessible::Name).startsWith("Ann scores"));

        // A narrower board has fewer children; the buttons beyond it are no cells.
        t.session()->setColumns(2);
        QCOMPARE(board->childCount(), 10);
        QCOMPARE(board->indexOfChild(face(t.button(20))), -1);
    }

    void turnIsToldAsItHappens() {
        const auto column = [](int cell) {
            return QString("Column %1.").arg(QChar('A' + cell % 8));
        };
        GuiTable t(8);
        t.board()->setFocus();
        heard_.clear();
        const auto [a, b] = t.mismatch();
        QTest::keyClick(t.board(), static_cast<Qt::Key>(Qt::Key_A + a % 8));
        QCOMPARE(boardNews(t), QStringList({column(a)}));
        QTest::keyClick(t.board(), static_cast<Qt::Key>(Qt::Key_1 + a / 8));
        QCOMPARE(boardNews(t), QStringList({told(t, a)}));
        // The cells' changes of state and text, and the scoreboard's, heard since the last news.
        const auto changes = [&](int x, int y) {
            QStringList seen;
            for (const Heard& h : heard_) {
                for (const int i : {x, y}) {
                    if (h.object == t.button(i) && h.type == QAccessible::StateChanged) {
                        seen << labelOf(i, 8) + (h.changed.checked ? " checked" : " found");
                    } else if (h.object == t.button(i) &&
                               h.type == QAccessible::DescriptionChanged) {
                        seen << labelOf(i, 8) + " told";
                    }
                }
                if (h.object == BoardAccessibility::of(t.board()) &&
                    h.type == QAccessible::DescriptionChanged) {
                    seen << "scoreboard";
                }
            }
            return seen.join(", ");
        };
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        // The second uncovered, then both covered again together.
        QCOMPARE(changes(a, b), QString("%2 checked, %2 told, %1 checked, %1 told, %2 checked, "
                                        "%2 told, scoreboard")
                                    .arg(labelOf(a, 8), labelOf(b, 8)));
        QCOMPARE(boardNews(t), QStringList({told(t, b) + " No match.",
                                            labelOf(a, 8) + " and " + labelOf(b, 8) +
                                                " are covered again. Player 2 to play."}));

        const auto [c, d] = t.pair();
        typeCell(t, c);
        typeCell(t, d);
        QCOMPARE(changes(c, d),
                 QString("%1 checked, %1 told, %2 checked, %2 told, %1 checked, %1 found, "
                         "%1 told, %2 checked, %2 found, %2 told, scoreboard")
                     .arg(labelOf(c, 8), labelOf(d, 8)));
        // The half-choice of the second cell is not told again while the pair is judged.
        QCOMPARE(
            boardNews(t),
            QStringList({column(c), told(t, c), column(d), told(t, d) + " A match for Player 2.",
                         "Player 2 scores 100 points, 100 in all. 15 pairs left."}));
    }

    void focusedCellCarriesTheNewsSinceItGotTheFocus() {
        GuiTable t(8);
        const auto [a, b] = t.mismatch();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        // The clicked button hides; the focus goes on to another cell, which tells the news.
        auto* focused = QApplication::focusWidget();
        QVERIFY(focused != t.button(a) && t.board()->isAncestorOf(focused));
        const QString news = "covered. " + told(t, a);
        QCOMPARE(face(focused)->text(QAccessible::Description), news);
        QVERIFY(std::any_of(heard_.begin(), heard_.end(), [&](const Heard& h) {
            return h.object == focused && h.type == QAccessible::DescriptionChanged &&
                   h.description == news;
        }));
        // The next cell the focus reaches starts without it.
        QWidget* other = t.button(31) == focused ? t.button(30) : t.button(31);
        other->setFocus();
        QCOMPARE(face(other)->text(QAccessible::Description), QString("covered"));
        QCOMPARE(face(focused)->text(QAccessible::Description), QString("covered"));
    }

    void pressChoosesACellButNotWhileATurnIsResolved() {
        GuiTable t(8);
        const auto [a, b] = t.pair();
        const int c = t.pair(a).first;
        const auto press = [&](int cell) {
            face(t.button(cell))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        };
        press(a);
        QCOMPARE(t.state().firstPick, a);
        // Pressed again, the uncovered cell says what it shows, and the game ignores it.
        heard_.clear();
        press(a);
        QCOMPARE(boardNews(t), QStringList({told(t, a)}));

        // A press while the pair flashes (at the second wait, the pair off the screen) is
        // refused, as a click would be.
        int waits = 0;
        const auto connection = QObject::connect(t.board(), &BoardView::waiting, [&] {
            if (++waits == 2 && t.state().firstPick == -1) {
                press(c);
            }
        });
        press(b);
        QObject::disconnect(connection);
        QVERIFY(waits >= 2);
        QVERIFY(t.state().cellMatched[b]);
        QCOMPARE(t.state().firstPick, -1);
        QVERIFY(t.button(c)->isVisible());
    }

    void everyDialogControlHasANameAndTheFocusMovesInOrder_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("order"); // object names along the focus chain
        QTest::newRow("Player Names") << "names" << QStringList({"1013", "1014", "1", "2"});
        QTest::newRow("Display Properties")
            << "display" << QStringList({"1017", "1018", "1019", "1015", "1016", "1", "3", "2"});
        QTest::newRow("Board Layout")
            << "layout" << QStringList({"1007", "1011", "1013", "1", "3", "2"});
        QTest::newRow("Best Results") << "records" << QStringList({"1050", "1051", "1"});
        QTest::newRow("About") << "about" << QStringList({"3", "1"});
        // Down the source column, the middle buttons, then down the set's column.
        QTest::newRow("Create a Custom Image Set")
            << "editor"
            << QStringList(
                   {"1254", "1115", "5", "9", "2", "8", "1255", "1114", "1014", "13", "11"});
    }
    void everyDialogControlHasANameAndTheFocusMovesInOrder() {
        QFETCH(QString, dialog);
        QFETCH(QStringList, order);
        GuiTable t(8);
        t.records.WriteString("Boards", "misc.8");
        t.records.WriteInt("misc.8.Misses", 3);
        const std::map<QString, std::function<QDialog*()>> make = {
            {"names", [&] { return new PlayerNamesDialog(t.settings, t.window.get()); }},
            {"display", [&] { return new DisplayPropertiesDialog(t.settings, t.window.get()); }},
            {"layout", [&] { return new BoardLayoutDialog(*t.session(), t.window.get()); }},
            {"records",
             [&] { return new RecordsDialog(t.window->watch()->records(), t.window.get()); }},
            {"about", [&] { return new AboutDialog(t.window.get()); }},
            {"editor",
             [&] { return new CreateImageSetDialog(t.store, QDir::tempPath(), t.window.get()); }}};
        const std::unique_ptr<QDialog> d(make.at(dialog)());
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));

        for (QWidget* w : d->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<SpinControl*>(w) || qobject_cast<QTableWidget*>(w) ||
                                 qobject_cast<QListWidget*>(w);
            if (control && w->isVisibleTo(d.get())) {
                QVERIFY2(!face(w)->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
            }
        }

        // The stops of the Tab key along the focus chain; the radio buttons of the columns are
        // one stop, at the checked one.
        QWidget* first = d->findChild<QWidget*>(order.first());
        QVERIFY(first);
        QStringList chain;
        QWidget* w = first;
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(d.get()) && w->isEnabled()) {
                chain << w->objectName();
            }
            w = w->nextInFocusChain();
        } while (w && w != first && chain.size() < 20);
        QCOMPARE(chain.join(" "), order.join(" "));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"

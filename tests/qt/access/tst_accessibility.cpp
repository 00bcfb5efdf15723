// The board and the dialogs as a screen reader finds them, through Qt's accessibility
// interfaces, with the events of each turn recorded by an update handler.
#include "core/imagesets/imsformat.h"
#include "core/imagesets/standardsets.h"
#include "qt/access/boardaccessibility.h"
#include "qt/app/aboutdialog.h"
#include "qt/app/boardlayoutdialog.h"
#include "qt/app/displaypropertiesdialog.h"
#include "qt/app/gamewatch.h"
#include "qt/app/playernamesdialog.h"
#include "qt/app/recordsdialog.h"
#include "qt/app/spincontrol.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/setimage.h"
#include "qt/widgets/prompts.h"
#include "support/accessibility.h"
#include "support/guitable.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

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
};

std::vector<Heard>* heard = nullptr;

void hear(QAccessibleEvent* event) {
    if (!heard) {
        return;
    }
    Heard h{event->type(), event->object(), {}, {}};
    if (QAccessibleInterface* iface = event->accessibleInterface()) {
        h.description = iface->text(QAccessible::Description);
    }
    if (event->type() == QAccessible::StateChanged) {
        h.changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
    }
    heard->push_back(h);
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

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    std::vector<Heard> heard_;

    // The descriptions the board announced since the last call.
    QStringList boardNews(GuiTable& t) {
        QStringList news;
        for (const Heard& h : heard_) {
            if (h.object == t.board() && h.type == QAccessible::DescriptionChanged) {
                news << h.description;
            }
        }
        heard_.clear();
        return news;
    }

private slots:
    void initTestCase() {
        QAccessible::installUpdateHandler(hear);
        QVERIFY(activateAccessibility());
        heard = &heard_;
    }
    void cleanupTestCase() { heard = nullptr; }
    void init() { heard_.clear(); }

    void boardHoldsEveryCellInPlayAndTheScoreboard() {
        GuiTable t(8);
        QAccessibleInterface* board = face(t.board());
        QVERIFY(board && board->isValid());
        QCOMPARE(board->role(), QAccessible::Grouping);
        QCOMPARE(board->text(QAccessible::Name), QString("Board"));
        QCOMPARE(board->childCount(), 33);
        for (int i = 0; i < 32; ++i) {
            QAccessibleInterface* cell = board->child(i);
            QVERIFY(cell);
            QCOMPARE(cell->object(), t.button(i));
            QCOMPARE(cell->role(), QAccessible::Button);
            QCOMPARE(cell->text(QAccessible::Name), labelOf(i, 8));
            QCOMPARE(cell->text(QAccessible::Description), QString("covered"));
            QCOMPARE(board->indexOfChild(cell), i);
            QCOMPARE(cell->parent(), board);
        }
        QAccessibleInterface* score = board->child(32);
        QCOMPARE(score->text(QAccessible::Name), QString("Scoreboard"));
        QCOMPARE(score->role(), QAccessible::StaticText);
        const QString text("Player 1: 0 points. Player 2: 0 points. Player 1 to play.");
        QCOMPARE(score->text(QAccessible::Value), text);
        QCOMPARE(board->text(QAccessible::Value), text);
        QCOMPARE(board->indexOfChild(score), 32);
        QCOMPARE(score->parent(), board);
        QVERIFY(!score->rect().isEmpty());
        QCOMPARE(board->child(33), nullptr);

        // A narrower board has fewer children; the buttons beyond it are no cells.
        t.settings.columns = 2;
        t.session()->setColumns(2);
        QCOMPARE(board->childCount(), 9);
        QCOMPARE(board->indexOfChild(face(t.button(20))), -1);
    }

    void uncoveredCellStaysOnTheBoardAndSaysWhatItShows() {
        GuiTable t(4);
        t.settings.numberPlayers = 1;
        t.settings.player1Name = "Ann";
        QAccessibleInterface* board = face(t.board());
        const auto [a, b] = t.pair();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QVERIFY(!t.button(a)->isVisible());

        QAccessibleInterface* cell = board->child(a);
        const QString picture = pictureOf(t, a);
        QVERIFY(!picture.isEmpty());
        QVERIFY(std::find(MISC_DESCRIPTIONS.begin(), MISC_DESCRIPTIONS.end(),
                          picture.toStdString()) != MISC_DESCRIPTIONS.end());
        QCOMPARE(cell->text(QAccessible::Description), picture);
        QVERIFY(!cell->state().invisible);
        QVERIFY(cell->state().checked && cell->state().pressed);
        QVERIFY(board->child(b)->state().checkable);
        QVERIFY(!board->child(b)->state().checked);

        QTest::mouseClick(t.button(b), Qt::LeftButton);
        QCOMPARE(cell->text(QAccessible::Description), picture + ", found by Ann");
        QVERIFY(cell->state().disabled);
        QVERIFY(!cell->state().checked);
        QVERIFY(!cell->state().invisible);
    }

    void matchIsToldThroughTheBoardAndTheCellsStates() {
        GuiTable t(8);
        t.board()->setFocus();
        const auto [a, b] = t.pair();
        heard_.clear();
        QTest::keyClick(t.board(), static_cast<Qt::Key>(Qt::Key_A + a % 8));
        QCOMPARE(boardNews(t), QStringList({QString("Column %1.").arg(QChar('A' + a % 8))}));
        QTest::keyClick(t.board(), static_cast<Qt::Key>(Qt::Key_1 + a / 8));
        QCOMPARE(boardNews(t), QStringList({labelOf(a, 8) + ": " + pictureOf(t, a) + "."}));

        typeCell(t, b);
        const QStringList news = boardNews(t);
        QCOMPARE(news.size(), 3);
        QCOMPARE(news[0], QString("Column %1.").arg(QChar('A' + b % 8)));
        QCOMPARE(news[1], labelOf(b, 8) + ": " + pictureOf(t, b) + ". A match for Player 1.");
        QCOMPARE(news[2], QString("Player 1 scores 100 points, 100 in all. 15 pairs left."));
    }

    void cellStatesChangeAsTheyAreUncoveredAndFound() {
        GuiTable t(8);
        const auto [a, b] = t.mismatch();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        QStringList changes;
        for (const Heard& h : heard_) {
            if (h.type == QAccessible::StateChanged &&
                (h.object == t.button(a) || h.object == t.button(b))) {
                changes << QString("%1 %2%3")
                               .arg(h.object == t.button(a) ? "a" : "b")
                               .arg(h.changed.checked ? "checked" : "")
                               .arg(h.changed.disabled ? "disabled" : "");
            }
        }
        // Uncovered one after the other, covered again together.
        QCOMPARE(changes, QStringList({"a checked", "b checked", "a checked", "b checked"}));
        QCOMPARE(boardNews(t).last(),
                 labelOf(a, 8) + " and " + labelOf(b, 8) + " are covered again. Player 2 to play.");

        const auto [c, d] = t.pair();
        QTest::mouseClick(t.button(c), Qt::LeftButton);
        QTest::mouseClick(t.button(d), Qt::LeftButton);
        // Found: unchecked and out of play, told as two events.
        QStringList found;
        for (const Heard& h : heard_) {
            if (h.type == QAccessible::StateChanged && h.object == t.button(c)) {
                found << QString("%1%2 %3")
                             .arg(h.changed.checked ? "checked" : "")
                             .arg(h.changed.disabled ? "disabled" : "")
                             .arg(h.description.endsWith(", found by Player 2") ? "found"
                                                                                : "shown");
            }
        }
        QCOMPARE(found, QStringList({"checked shown", "checked found", "disabled found"}));
    }

    void focusedCellCarriesTheNewsSinceItGotTheFocus() {
        GuiTable t(8);
        const auto [a, b] = t.mismatch();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        // The clicked button hides; the focus goes on to another cell, which tells the news.
        auto* focused = QApplication::focusWidget();
        QVERIFY(focused && focused != t.button(a));
        const int cell = t.board()->findChild<BoardAccessibility*>()->cellOf(focused);
        QVERIFY(cell >= 0);
        const QString news = labelOf(a, 8) + ": " + pictureOf(t, a) + ".";
        QCOMPARE(face(focused)->text(QAccessible::Description), "covered. " + news);
        bool told = false;
        for (const Heard& h : heard_) {
            told |= h.object == focused && h.type == QAccessible::DescriptionChanged &&
                    h.description == "covered. " + news;
        }
        QVERIFY(told);

        // Moving the focus leaves the old news behind, also on the next cell it reaches.
        QWidget* other = nullptr;
        for (int i = 0; i < 32 && !other; ++i) {
            if (t.button(i)->isVisible() && t.button(i) != focused) {
                other = t.button(i);
            }
        }
        QVERIFY(other);
        other->setFocus();
        QCOMPARE(QApplication::focusWidget(), other);
        QCOMPARE(face(other)->text(QAccessible::Description), QString("covered"));
        QCOMPARE(face(focused)->text(QAccessible::Description), QString("covered"));
        t.board()->setFocus();
        QCOMPARE(face(t.board())->text(QAccessible::Description), news);
    }

    void pressActionChoosesACellButNotWhileATurnIsResolved() {
        GuiTable t(8);
        QAccessibleInterface* board = face(t.board());
        const auto [a, b] = t.pair();
        const auto [c, unused] = t.pair(a);
        Q_UNUSED(unused);
        QAccessibleActionInterface* press = board->child(a)->actionInterface();
        QVERIFY(press && press->actionNames().contains(QAccessibleActionInterface::pressAction()));
        press->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(t.state().firstPick, a);
        // Pressed again, the uncovered cell says what it shows, and the game ignores it.
        heard_.clear();
        press->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(boardNews(t), QStringList({labelOf(a, 8) + ": " + pictureOf(t, a) + "."}));
        QCOMPARE(t.state().firstPick, a);

        // A press that arrives while the pair flashes (here: at the second wait, when the pair
        // is off the screen) is refused, as a click would be.
        int waits = 0;
        const auto connection = QObject::connect(t.board(), &BoardView::waiting, [&] {
            if (++waits == 2) {
                QCOMPARE(t.state().firstPick, -1);
                face(t.button(c))
                    ->actionInterface()
                    ->doAction(QAccessibleActionInterface::pressAction());
            }
        });
        board->child(b)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QObject::disconnect(connection);
        QVERIFY(waits >= 2);
        QVERIFY(t.state().cellMatched[a] && t.state().cellMatched[b]);
        QCOMPARE(t.state().firstPick, -1);
        QVERIFY(t.button(c)->isVisible());
    }

    void customPicturesAreToldByTheirTextOrFile() {
        QTemporaryDir dir;
        QStringList files;
        for (const char* name : {"grandma.png", "sunset.png"}) {
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(Qt::red);
            files << dir.filePath(name);
            QVERIFY(image.save(files.last()));
        }
        const QString set = dir.filePath("family.ims");
        QVERIFY(saveImageSetFile(set.toStdString(), {{0, files[0].toStdString(), "Grandma"},
                                                     {0, files[1].toStdString(), ""}})
                    .ok());
        setMessageBoxHook([](QWidget*, MessageIcon, const QString&, const QString&) {});
        GuiTable t(8);
        QVERIFY(t.session()->LoadCustomSet(set, false));
        setMessageBoxHook({});
        QStringList words;
        for (int i = 0; i < t.images().imageCount(); ++i) {
            words << t.images().image(i)->description;
        }
        words.sort();
        QCOMPARE(words, QStringList({"Grandma", "sunset"}));
        QTest::mouseClick(t.button(0), Qt::LeftButton);
        QVERIFY(words.contains(face(t.button(0))->text(QAccessible::Description)));
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
    }
    void everyDialogControlHasANameAndTheFocusMovesInOrder() {
        QFETCH(QString, dialog);
        QFETCH(QStringList, order);
        GuiTable t(8);
        t.records.WriteString("Boards", "misc.8");
        t.records.WriteInt("misc.8.Misses", 3);
        std::unique_ptr<QDialog> d;
        if (dialog == "names") {
            d = std::make_unique<PlayerNamesDialog>(t.settings, t.window.get());
        } else if (dialog == "display") {
            d = std::make_unique<DisplayPropertiesDialog>(t.settings, t.window.get());
        } else if (dialog == "layout") {
            d = std::make_unique<BoardLayoutDialog>(*t.session(), t.window.get());
        } else if (dialog == "records") {
            d = std::make_unique<RecordsDialog>(t.window->watch()->records(), t.window.get());
        } else {
            d = std::make_unique<AboutDialog>(t.window.get());
        }
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));

        for (QWidget* w : d->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<SpinControl*>(w) || qobject_cast<QTableWidget*>(w);
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

#include "qt/app/commands.h"
#include "support/guitable.h"

#include <QTest>
#include <QTimer>
#include <QTimerEvent>

using namespace gemino;

class TestBoardView : public QObject {
    Q_OBJECT
private slots:
    void aWholeTwoPlayerGameByMouse() {
        GuiTable t(1); // four cells, two pairs, two players
        const QRect scoreLine1(10, 258, 300, 30);
        QVERIFY(countColor(t.grab(), scoreLine1, qRgb(255, 0, 0)) > 20); // player 1 to move

        // Player 1 misses: both cells show their pictures while the pair is judged.
        const auto [a, b] = t.mismatch();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QVERIFY(distinctColors(t.grab(), t.button(a)->geometry()) > 3);
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        const QImage turn2 = t.grab();
        QCOMPARE(countColor(turn2, scoreLine1, qRgb(255, 0, 0)), 0);
        QVERIFY(countColor(turn2, QRect(10, 290, 300, 30), qRgb(255, 0, 0)) > 20);

        // Player 2 takes both pairs. While a found pair flashes, its cells show no square yet:
        // each pair is seen vanished twice between its steps.
        QStringList flashSquares;
        connect(t.board(), &BoardView::waiting, t.board(), [&] {
            const int cell = t.state().flashFirst;
            if (cell >= 0 && t.state().firstPick < 0)
                flashSquares << QString::number(countColor(
                    t.grab(), t.button(cell)->geometry().adjusted(0, 0, 0, -49), qRgb(0, 0, 0)));
        });
        for (int k = 0; k < 2; ++k) {
            const auto [c, d] = t.pair();
            QTest::mouseClick(t.button(c), Qt::LeftButton);
            QTest::mouseClick(t.button(d), Qt::LeftButton);
            if (k == 0) {
                // A found pair leaves a square with its finder's name and no picture.
                const QImage removed = t.grab();
                QVERIFY(countColor(removed, t.button(c)->geometry().adjusted(0, 0, 0, -49),
                                   qRgb(0, 0, 0)) >= 40);
                QVERIFY(countDark(removed, t.button(c)->geometry().adjusted(2, 2, -2, -2)) > 5);
                // Only the first 8 characters of a name are shown: "Player 2" exactly.
                t.settings.player2Name = "Player 2 and more";
                QCOMPARE(t.grab().copy(t.button(c)->geometry()),
                         removed.copy(t.button(c)->geometry()));
            }
        }
        QCOMPARE(flashSquares, QStringList({"0", "0", "0", "0"}));
        QCOMPARE(t.sound.played.back(), std::string("You Won.wav"));

        // The end: tiles everywhere and the banner white on blue at the top.
        const QImage end = t.grab();
        QVERIFY(countColor(end, QRect(0, 10, end.width(), 37), qRgb(0, 0, 255)) > 200);
        QVERIFY(countColor(end, QRect(0, 57, end.width(), 37), qRgb(0, 0, 255)) > 100);
        // Each score text sits on its own white box over the tiling.
        QVERIFY(countColor(end, QRect(10, 258, 100, 30), qRgb(255, 255, 255)) > 100);
        QVERIFY(countColor(end, QRect(10, 290, 100, 30), qRgb(255, 255, 255)) > 100);
        QVERIFY(distinctColors(end, QRect(end.width() - 40, end.height() - 40, 32, 32)) > 3);
    }

    void keysChooseCellsAndLetShortcutsThrough() {
        GuiTable t(8);
        t.board()->setFocus();
        QTest::keyClick(t.board(), Qt::Key_B, Qt::AltModifier); // for the menu bar
        QCOMPARE(t.state().selectedColumn, -1);
        QTest::keyClick(t.board(), Qt::Key_C);
        // The column's labels are drawn in red instead of by the buttons.
        QVERIFY(t.button(2)->text().isEmpty() && t.button(26)->text().isEmpty());
        QCOMPARE(t.button(3)->text(), QString("D-1"));
        QTest::keyClick(t.board(), Qt::Key_2);
        QCOMPARE(t.state().firstPick, 10);
        QVERIFY(!t.button(10)->isVisible());
        QCOMPARE(t.button(2)->text(), QString("C-1"));

        // Ctrl+N reaches the menu: a new deal.
        QTest::keyClick(t.board(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(t.state().firstPick, -1);
        QVERIFY(t.state().awaitingFirstPick);

        // Ctrl+E is a column, Shift+F a set.
        QTest::keyClick(t.board(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(t.state().selectedColumn, 4);
        QTest::keyClick(t.board(), Qt::Key_F, Qt::ShiftModifier);
        QCOMPARE(t.settings.standardSetName, std::string("flags"));

        // Keypad digits choose nothing; keys reach the board from a focused cell button too.
        t.button(5)->setFocus();
        QTest::keyClick(t.button(5), Qt::Key_A);
        QTest::keyClick(t.button(5), Qt::Key_1, Qt::KeypadModifier);
        QCOMPARE(t.state().firstPick, -1);
        QTest::keyClick(t.button(5), Qt::Key_1);
        QCOMPARE(t.state().firstPick, 0);
        QTest::keyClick(t.button(5), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!t.state().timedGame); // in play: the switch is disabled
    }

    void ticksDuringAWaitAreMergedAndHandledAfterIt() {
        GuiTable t(8);
        t.board()->setTimeScale(0.02); // a 1500 ms mismatch lasts 30 ms
        t.action(command::TimedGame)->trigger();
        const auto [a, b] = t.mismatch();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        const int timer = t.board()->clockTimerId();
        QVERIFY(timer != 0);
        int seenDuringWait = -1;
        QTimer::singleShot(5, t.board(), [&] {
            QVERIFY(t.session()->busy());
            QTimerEvent tick(timer);
            QCoreApplication::sendEvent(t.board(), &tick);
            QCoreApplication::sendEvent(t.board(), &tick);
            seenDuringWait = t.state().elapsedSeconds;
        });
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        QCOMPARE(seenDuringWait, 0);
        QCOMPARE(t.state().elapsedSeconds, 1);
    }

    // The preview shows every image and no scoreboard; a flag shows its country below it.
    void previewAndImageTexts() {
        GuiTable t(2);
        t.board()->setTimeScale(0.01);
        QImage during;
        bool changesAllowed = true; // set commands and layout are off during the preview
        QTimer::singleShot(10, t.board(), [&] {
            during = t.grab();
            changesAllowed = t.action(command::UseCustomImageSet)->isEnabled() ||
                             t.action(command::BoardLayout)->isEnabled() ||
                             t.action(command::MaximizeButtons)->isEnabled();
        });
        t.action(command::ShowAllImages)->trigger();
        QVERIFY(!during.isNull() && !changesAllowed);
        for (int i = 0; i < 8; ++i)
            QVERIFY(distinctColors(during, t.button(i)->geometry()) > 3);
        QCOMPARE(countColor(during, QRect(10, 258, 300, 62), qRgb(255, 0, 0)), 0);

        t.action(command::FlagSet)->trigger();
        QTest::mouseClick(t.button(3), Qt::LeftButton);
        const QRect band = t.button(3)->geometry().translated(0, 50).adjusted(-20, 0, 20, -38);
        QVERIFY(countDark(t.grab(), band) > 5);
        t.settings.displayImageText = false;
        QCOMPARE(countDark(t.grab(), band), 0);
    }
};

QTEST_MAIN(TestBoardView)
#include "tst_boardview.moc"

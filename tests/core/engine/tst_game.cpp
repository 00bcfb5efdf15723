#include "core/engine/game.h"
#include "core/engine/random.h"
#include "core/settings/settings.h"
#include "support/fakepresentation.h"

#include <QTest>

#include <map>

using gemino::Game;
using gemino::KeyPress;
using Kind = gemino::KeyPress::Kind;

namespace {

// A game on a virtual clock, dealt from generator state 1.
struct Table {
    explicit Table(int columns = 8, int players = 2) : images(20) {
        settings.columns = columns;
        settings.numberPlayers = players;
        settings.startupDirectory = "/games";
        screen.game = &game;
        random.setState(1);
        game.NewGame();
        screen.clear();
    }

    // Lays the pairs side by side (cells 2k and 2k+1 hold image k), without bonus images.
    Table& sideBySide() {
        auto& s = game.mutableState();
        for (int i = 0; i < game.cellsInPlay(); ++i) {
            s.cellImage[i] = i / 2;
        }
        s.bonusImage1 = s.bonusImage2 = -1;
        return *this;
    }

    void choose(int a, int b) {
        game.OnBoardButton(a);
        game.OnBoardButton(b);
    }
    const gemino::GameState& state() const { return game.state(); }

    gemino::GameSettings settings;
    FakePresentation screen;
    FakeImageList images;
    gemino::Random random;
    Game game{settings, screen, images, random};
};

} // namespace

class TestGame : public QObject {
    Q_OBJECT
private slots:
    void dealMatchesCheckValuesFromStateOne() {
        Table t(2);
        const std::vector<int> order = {11, 19, 2,  15, 9, 6, 7, 17, 16, 12,
                                        10, 5,  13, 14, 1, 0, 3, 8,  4,  18};
        QCOMPARE(t.images.images, order);
        const int cells[] = {0, 1, 3, 0, 3, 2, 1, 2};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(t.state().cellImage[i], cells[i]);
        }
        QCOMPARE(t.state().bonusImage1, -1);
        QCOMPARE(t.state().bonusImage2, -1);
    }

    void dealPairsCellsAndDrawsBonusImagesByBoardSize_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("bonusImages");
        for (const auto& [columns, bonus] :
             {std::pair{1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 2}, {10, 2}}) {
            QTest::addRow("%d columns", columns) << columns << bonus;
        }
    }
    void dealPairsCellsAndDrawsBonusImagesByBoardSize() {
        QFETCH(int, columns);
        QFETCH(int, bonusImages);
        Table t(columns);
        const int n = 4 * columns;
        std::map<int, int> counts;
        for (int i = 0; i < n; ++i) {
            ++counts[t.state().cellImage[i]];
        }
        QCOMPARE(int(counts.size()), n / 2);
        QVERIFY(std::all_of(counts.begin(), counts.end(),
                            [&](auto c) { return c.first < n / 2 && c.second == 2; }));
        QCOMPARE(t.state().bonusImage1 >= 0, bonusImages >= 1);
        QCOMPARE(t.state().bonusImage2 >= 0, bonusImages >= 2);

        // P draws for the images, N for the cells and one per bonus image, nothing else.
        gemino::Random reference;
        reference.setState(1);
        for (int i = 0; i < 20 + n + bonusImages; ++i) {
            reference.draw();
        }
        QCOMPARE(t.random.state(), reference.state());
    }

    void dealResetsAHalfPlayedGame() {
        Table t(2);
        t.sideBySide().choose(0, 1);
        t.choose(2, 4);
        t.game.OnBoardButton(6);
        t.screen.clear();
        t.game.NewGame();
        const auto& s = t.state();
        QCOMPARE(s.scores, (std::array<int, 2>{0, 0}));
        QCOMPARE(s.currentPlayer + s.streak, 0);
        QVERIFY(!s.gameOver);
        QCOMPARE(s.firstPick, -1);
        QVERIFY(s.awaitingFirstPick);
        for (int i = 0; i < 8; ++i) {
            QVERIFY(!s.cellMatched[i] && t.screen.buttonVisible[i]);
        }
        // Every cell is hidden, then shown; buttons beyond the board are left alone.
        QCOMPARE(t.screen.events[0].what, std::string("hide 0"));
        QCOMPARE(t.screen.events[8].what, std::string("show 0"));
        QCOMPARE(t.screen.count("hide 8"), 0);
    }

    void aMatchFlashesOnSchedule_data() {
        QTest::addColumn<int>("flashes");
        QTest::addColumn<bool>("timed");
        QTest::newRow("F = 1") << 1 << false;
        QTest::newRow("F = 3") << 3 << false;
        QTest::newRow("F = 7") << 7 << false;
        QTest::newRow("timed, F = 3") << 3 << true;
    }
    void aMatchFlashesOnSchedule() {
        QFETCH(int, flashes);
        QFETCH(bool, timed);
        Table t;
        t.settings.matchFlashes = flashes;
        if (timed) {
            t.game.ToggleTimedGame();
        }
        t.sideBySide().game.OnBoardButton(4);
        t.screen.clear();
        t.game.OnBoardButton(5);

        // The chime starts as both images are shown; then the pair vanishes at 500 ms and
        // alternates every 400 ms, ending vanished: 2F - 1 steps, or one in a timed game.
        QCOMPARE(t.screen.sounds, std::vector<std::string>{"Match.wav"});
        QCOMPARE(t.screen.timeOf("relabel"), 0);
        const int steps = timed ? 1 : 2 * flashes - 1;
        QCOMPARE(int(t.screen.frames.size()), steps);
        for (int k = 0; k < steps; ++k) {
            const bool shown = k % 2 == 1;
            QCOMPARE(t.screen.frames[k].time, 500 + 400 * k);
            QCOMPARE(t.screen.frames[k].firstPick, shown ? 4 : -1);
            QCOMPARE(t.screen.frames[k].secondPick, shown ? 5 : -1);
        }
        QCOMPARE(t.screen.now, 500 + 400 * (steps - 1));
        QCOMPARE(t.state().scores[0], 100);
        QCOMPARE(t.state().cellMatcher[4], 0);
        QCOMPARE(t.state().flashFirst, -1);
    }

    void streaksAndBonusPairsScoreMoreAfterTheirPops_data() {
        QTest::addColumn<bool>("bonus");
        QTest::addColumn<QList<int>>("totals");
        QTest::newRow("plain") << false << QList<int>{100, 250, 450};
        QTest::newRow("bonus") << true << QList<int>{250, 550, 900};
    }
    void streaksAndBonusPairsScoreMoreAfterTheirPops() {
        QFETCH(bool, bonus);
        QFETCH(QList<int>, totals);
        Table t;
        t.sideBySide();
        if (bonus) {
            t.game.mutableState().bonusImage1 = 0;
            t.game.mutableState().bonusImage2 = 1; // image 2 is made a bonus below
        }
        for (int k = 0; k < 3; ++k) {
            if (bonus && k == 2) {
                t.game.mutableState().bonusImage2 = 2;
            }
            t.screen.clear();
            t.choose(2 * k, 2 * k + 1);
            QCOMPARE(t.state().scores[0], totals[k]);
            QCOMPARE(t.screen.count("sound Pop.wav"), k);
            QCOMPARE(t.screen.sounds.front(), std::string(bonus ? "Bonus.wav" : "Match.wav"));
            // Pops follow the last flash step and come before the points and the repaint.
            if (k > 0) {
                QCOMPARE(t.screen.timeOf("sound Pop.wav"), 2100);
                QCOMPARE(t.screen.timeOf("invalidateAll"), 2100 + k * FakePresentation::kPopLength);
            }
        }
    }

    void aMismatchStaysForTheDisplayTimeAndPassesTheTurn_data() {
        QTest::addColumn<bool>("timed");
        QTest::addColumn<int>("displayTime");
        QTest::addColumn<int>("players");
        QTest::addColumn<int>("coveredAt");
        QTest::newRow("1500 ms, two players") << false << 1500 << 2 << 1500;
        QTest::newRow("1 ms, one player") << false << 1 << 1 << 1;
        QTest::newRow("timed ignores 3000 ms") << true << 3000 << 2 << 500;
    }
    void aMismatchStaysForTheDisplayTimeAndPassesTheTurn() {
        QFETCH(bool, timed);
        QFETCH(int, displayTime);
        QFETCH(int, players);
        QFETCH(int, coveredAt);
        Table t(8, players);
        t.settings.unmatchedDisplayTime = displayTime;
        if (timed) {
            t.game.ToggleTimedGame();
        }
        t.sideBySide().choose(0, 1);
        t.screen.clear();
        t.choose(2, 4);
        QCOMPARE(t.screen.timeOf("wait " + std::to_string(timed ? 500 : displayTime)), 0);
        QCOMPARE(t.screen.timeOf("show 2"), coveredAt);
        QCOMPARE(t.screen.timeOf("show 4"), coveredAt);
        QVERIFY(t.screen.sounds.empty());
        QCOMPARE(t.state().currentPlayer, players - 1);
        QCOMPARE(t.state().streak, 0);
        QCOMPARE(t.state().scores[1], 0);
    }

    void droppingToOnePlayerHandsTheTurnBackToPlayerOne() {
        Table t(8, 2);
        t.sideBySide().choose(0, 2);
        t.choose(4, 5);
        QCOMPARE(t.state().scores[1], 100);
        t.settings.numberPlayers = 1;
        t.game.onNumberPlayersChanged();
        QCOMPARE(t.state().currentPlayer, 0);
        QCOMPARE(t.state().streak, 0);
        QCOMPARE(t.state().scores[1], 100);
    }

    void choosingTheUncoveredOrARemovedCellIsIgnored() {
        Table t;
        t.sideBySide().choose(0, 1);
        t.game.OnBoardButton(2);
        t.screen.clear();
        t.game.OnBoardButton(2);
        t.game.OnBoardButton(0);
        QCOMPARE(t.state().firstPick, 2);
        QCOMPARE(t.state().secondPick, -1);
        QCOMPARE(t.screen.count("invalidateCell 2"), 0);
        QCOMPARE(t.state().scores[0], 100);
    }

    void theLastPairShowsTheBoardForASecondThenTheResult_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<QList<int>>("scoresBefore");
        QTest::addColumn<bool>("cue");
        QTest::newRow("one player") << 1 << QList<int>{0, 0} << true;
        QTest::newRow("two players, 700 to 450") << 2 << QList<int>{600, 450} << true;
        QTest::newRow("two players, 600 to 600") << 2 << QList<int>{500, 600} << false;
    }
    void theLastPairShowsTheBoardForASecondThenTheResult() {
        QFETCH(int, players);
        QFETCH(QList<int>, scoresBefore);
        QFETCH(bool, cue);
        Table t(1, players);
        t.sideBySide().choose(2, 3);
        t.game.mutableState().scores = {scoresBefore[0], scoresBefore[1]};
        t.game.mutableState().streak = 0;
        t.screen.clear();
        t.choose(0, 1);

        QVERIFY(t.state().gameOver);
        const int flashEnd = 500 + 4 * 400;
        QCOMPARE(t.screen.timeOf("hide 2"), flashEnd);
        QCOMPARE(t.screen.timeOf("wait 1000"), flashEnd);
        QCOMPARE(t.screen.frames.back().time, flashEnd + 1000);
        const bool played = t.screen.timeOf("sound You Won.wav") == flashEnd + 1000;
        QCOMPARE(played, cue);
        QCOMPARE(int(t.screen.sounds.size()), cue ? 2 : 1);

        // A finished board ignores every further choice.
        t.game.OnBoardButton(1);
        QCOMPARE(t.state().firstPick, -1);
    }

    void cuesComeFromTheStartupFolderUnlessSoundsAreOff() {
        Table t;
        t.sideBySide().choose(0, 1);
        QCOMPARE(t.screen.soundPaths, std::vector<std::string>{"/games/Match.wav"});
        t.settings.playSounds = false;
        t.screen.clear();
        t.choose(2, 3);
        QVERIFY(t.screen.sounds.empty());
        QCOMPARE(t.screen.now, 500 + 4 * 400); // no pop to wait for
        QCOMPARE(t.state().scores[0], 250);
    }

    void keysChooseCellsOrReachTheMenu_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("keys");   // ^X is Ctrl+X, +X is Shift+X, #2 a keypad 2, ! Esc
        QTest::addColumn<QString>("passed"); // keys left to the menu
        QTest::addColumn<int>("pick");
        QTest::addColumn<int>("column");
        QTest::newRow("C then 2 is cell 10") << 8 << "C 2"
                                             << "" << 10 << -1;
        QTest::newRow("2 then C is cell 10") << 8 << "2 C"
                                             << "" << 10 << -1;
        QTest::newRow("Esc in between") << 8 << "C ! 2"
                                        << "" << -1 << -1;
        QTest::newRow("Ctrl+N passes, Ctrl+E selects") << 8 << "^N ^E"
                                                       << "^N" << -1 << 4;
        QTest::newRow("Ctrl+E beyond four columns") << 4 << "^E"
                                                    << "" << -1 << -1;
        QTest::newRow("Shift+C, F, M, T pass") << 8 << "+C +F +M +T +B"
                                               << "+C +F +M +T" << -1 << 1;
        QTest::newRow("keypad digits and 5 consumed") << 8 << "A #1 5"
                                                      << "" << -1 << 0;
        QTest::newRow("the uncovered cell again") << 8 << "A 1 A 1"
                                                  << "" << 0 << -1;
    }
    void keysChooseCellsOrReachTheMenu() {
        QFETCH(int, columns);
        QFETCH(QString, keys);
        QFETCH(QString, passed);
        QFETCH(int, pick);
        QFETCH(int, column);
        Table t(columns);
        QStringList reachedMenu;
        for (const QString& k : keys.split(' ')) {
            KeyPress key{Kind::Letter, k.back().toLatin1(), k[0] == '^', k[0] == '+'};
            if (k.back().isDigit()) {
                key.kind = k[0] == '#' ? Kind::KeypadDigit : Kind::Digit;
            } else if (k == "!") {
                key.kind = Kind::Escape;
            }
            if (!t.game.onKeyDown(key)) {
                reachedMenu << k;
            }
        }
        QCOMPARE(reachedMenu.join(' '), passed);
        QCOMPARE(t.state().firstPick, pick);
        QCOMPARE(t.state().secondPick, -1);
        QCOMPARE(t.state().selectedColumn, column);
        QCOMPARE(t.screen.highlightColumn, column);
    }

    void theClockRunsFromTheFirstChoiceToTheEnd() {
        Table t(1);
        t.sideBySide().game.ToggleTimedGame();
        t.game.OnTimer(1); // armed, not running
        QCOMPARE(t.state().elapsedSeconds, 0);
        t.game.OnBoardButton(0);
        QVERIFY(t.screen.clockRunning && !t.game.canToggleTimedGame());
        t.game.ToggleTimedGame(); // disabled
        for (int i = 0; i < 65; ++i) {
            t.game.OnTimer(1);
        }
        t.game.OnTimer(2);
        QCOMPARE(t.state().elapsedSeconds, 65);
        QCOMPARE(t.screen.count("invalidateScoreBand"), 65);
        t.game.OnBoardButton(1);
        t.choose(2, 3);
        QVERIFY(t.state().gameOver && !t.screen.clockRunning);
        t.game.OnTimer(1);
        QCOMPARE(t.state().elapsedSeconds, 65); // frozen until the next deal
        t.game.NewGame();
        QCOMPARE(t.state().elapsedSeconds, 0);
        QVERIFY(t.state().timedGame);
    }

    void theClockSwitchLeavesNoTimerBehind() {
        Table t;
        t.game.ToggleTimedGame();
        t.game.ToggleTimedGame();
        QCOMPARE(t.screen.count("invalidateAll"), 2);
        t.game.OnBoardButton(0);
        QVERIFY(!t.screen.clockRunning);
        t.game.NewGame();
        t.game.ToggleTimedGame();
        t.game.OnBoardButton(0);
        t.game.NewGame(); // a deal mid-game stops the clock
        QVERIFY(!t.screen.clockRunning);
    }

    void thePreviewShowsEveryCellForFiveSecondsOnce() {
        Table t(3);
        t.game.ShowAllImages();
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(t.screen.timeOf("hide " + std::to_string(i)), 0);
            QCOMPARE(t.screen.timeOf("show " + std::to_string(i)), 5000);
        }
        QVERIFY(!t.state().showingAll);
        QVERIFY(t.game.canShowAllImages() && t.game.canToggleTimedGame());
        t.game.OnBoardButton(0);
        t.screen.clear();
        t.game.ShowAllImages();
        QVERIFY(t.screen.events.empty());
    }
};

QTEST_GUILESS_MAIN(TestGame)
#include "tst_game.moc"

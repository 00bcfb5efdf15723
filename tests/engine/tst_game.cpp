#include "app/settings.h"
#include "engine/game.h"
#include "engine/random.h"
#include "fakepresentation.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

using gemino::Game;
using gemino::GameSettings;
using gemino::KeyPress;
using gemino::Random;

namespace {

// A game on a virtual clock, dealt from generator state 1.
struct Table {
    explicit Table(int columns = 8, int imageCount = 20) : images(imageCount) {
        settings.columns = columns;
        settings.startupDirectory = "/games/gemino";
        screen.game = &game;
        random.setState(1);
    }

    void deal() {
        game.NewGame();
        screen.clear();
        screen.now = 0;
    }

    // Deals, then lays the pairs side by side (cells 2k and 2k+1 hold image k) without bonus
    // images, so a test can pick matches and mismatches by cell number.
    void dealPairsSideBySide() {
        deal();
        auto& s = game.mutableState();
        for (int i = 0; i < game.cellsInPlay(); ++i) {
            s.cellImage[i] = i / 2;
        }
        s.bonusImage1 = s.bonusImage2 = -1;
    }

    void choose(int a, int b) {
        game.OnBoardButton(a);
        game.OnBoardButton(b);
    }

    GameSettings settings;
    FakePresentation screen;
    FakeImageList images;
    Random random;
    Game game{settings, screen, images, random};
};

KeyPress letter(char c, bool ctrl = false, bool shift = false) {
    return KeyPress{KeyPress::Kind::Letter, c, ctrl, shift};
}
KeyPress digit(char c) {
    return KeyPress{KeyPress::Kind::Digit, c, false, false};
}

} // namespace

class TestGame : public QObject {
    Q_OBJECT
private slots:
    // --- the deal ---

    void dealMatchesCheckValuesFromStateOne() {
        Table t(2);
        t.deal();
        const std::vector<int> order = {11, 19, 2,  15, 9, 6, 7, 17, 16, 12,
                                        10, 5,  13, 14, 1, 0, 3, 8,  4,  18};
        QCOMPARE(t.images.images, order);
        const int cells[] = {0, 1, 3, 0, 3, 2, 1, 2};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(t.game.state().cellImage[i], cells[i]);
        }
        QCOMPARE(t.game.state().bonusImage1, -1);
        QCOMPARE(t.game.state().bonusImage2, -1);
    }

    void dealDrawsBonusImagesByBoardSize_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("bonus1");
        QTest::addColumn<bool>("bonus2");
        QTest::newRow("1 column, 4 cells") << 1 << false << false;
        QTest::newRow("2 columns, 8 cells") << 2 << false << false;
        QTest::newRow("3 columns, 12 cells") << 3 << true << false;
        QTest::newRow("4 columns, 16 cells") << 4 << true << false;
        QTest::newRow("5 columns, 20 cells") << 5 << true << true;
        QTest::newRow("10 columns, 40 cells") << 10 << true << true;
    }
    void dealDrawsBonusImagesByBoardSize() {
        QFETCH(int, columns);
        QFETCH(bool, bonus1);
        QFETCH(bool, bonus2);
        Table t(columns);
        t.deal();
        const int n = 4 * columns;
        const auto& s = t.game.state();
        QCOMPARE(s.bonusImage1 >= 0, bonus1);
        QCOMPARE(s.bonusImage2 >= 0, bonus2);
        QVERIFY(s.bonusImage1 < n / 2 && s.bonusImage2 < n / 2);

        // P draws for the images, N for the cells, one per bonus image, nothing else.
        Random reference;
        reference.setState(1);
        const int draws = 20 + n + int(bonus1) + int(bonus2);
        for (int i = 0; i < draws; ++i) {
            reference.Draw();
        }
        QCOMPARE(t.random.state(), reference.state());
    }

    void dealPutsEachImageOnExactlyTwoCells() {
        for (int columns = 1; columns <= 10; ++columns) {
            Table t(columns);
            t.deal();
            std::map<int, int> counts;
            for (int i = 0; i < t.game.cellsInPlay(); ++i) {
                ++counts[t.game.state().cellImage[i]];
            }
            QCOMPARE(int(counts.size()), 2 * columns);
            for (const auto& [image, count] : counts) {
                QVERIFY(image >= 0 && image < 2 * columns);
                QCOMPARE(count, 2);
            }
        }
    }

    void dealShufflesTheWholeImageListEveryTime() {
        Table t(4);
        t.deal();
        const auto first = t.images.images;
        t.deal();
        QVERIFY(t.images.images != first);
        auto sorted = t.images.images;
        std::sort(sorted.begin(), sorted.end());
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(sorted[i], i);
        }
    }

    void dealResetsAHalfPlayedGame() {
        Table t(2);
        t.settings.numberPlayers = 2;
        t.dealPairsSideBySide();
        t.choose(0, 1);          // match for player 1
        t.choose(2, 4);          // mismatch: player 2 to move
        t.game.OnBoardButton(6); // half a turn
        t.screen.clear();

        t.game.NewGame();
        const auto& s = t.game.state();
        QCOMPARE(s.scores[0], 0);
        QCOMPARE(s.scores[1], 0);
        QCOMPARE(s.currentPlayer, 0);
        QCOMPARE(s.streak, 0);
        QCOMPARE(s.firstPick, -1);
        QCOMPARE(s.secondPick, -1);
        QCOMPARE(s.awaitingFirstPick, 1);
        QCOMPARE(s.gameOver, 0);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(s.cellMatched[i], 0);
            QVERIFY(t.screen.buttonVisible[i]);
        }
        // Every cell is first hidden, then shown; buttons beyond the board are left alone.
        QCOMPARE(t.screen.events[0].what, std::string("hide 0"));
        QCOMPARE(t.screen.events[8].what, std::string("show 0"));
        QCOMPARE(t.screen.count("hide 8"), 0);
        QCOMPARE(t.screen.events.back().what, std::string("invalidateAll"));
    }

    // --- a match ---

    void untimedMatchFlashesOnSchedule_data() {
        QTest::addColumn<int>("flashes");
        QTest::newRow("F = 1") << 1;
        QTest::newRow("F = 3") << 3;
        QTest::newRow("F = 7") << 7;
    }
    void untimedMatchFlashesOnSchedule() {
        QFETCH(int, flashes);
        Table t;
        t.settings.matchFlashes = flashes;
        t.dealPairsSideBySide();
        t.game.OnBoardButton(4);
        t.screen.clear();
        t.game.OnBoardButton(5);

        // Both images are on the screen at once, and the chime starts then.
        QVERIFY(!t.screen.frames.empty());
        QCOMPARE(t.screen.frames[0].time, 0);
        QCOMPARE(t.screen.frames[0].firstPick, 4);
        QCOMPARE(t.screen.frames[0].secondPick, 5);
        QCOMPARE(t.screen.sounds, std::vector<std::string>{"Match.wav"});
        QCOMPARE(t.screen.timeOf("sound Match.wav"), 0);

        // Then the pair vanishes at 500 and alternates every 400 ms, ending vanished.
        std::vector<FakePresentation::Frame> flashes_;
        for (const auto& f : t.screen.frames) {
            if (f.fromUpdate) {
                flashes_.push_back(f);
            }
        }
        const int steps = 2 * flashes - 1;
        QCOMPARE(int(flashes_.size()), steps);
        for (int k = 0; k < steps; ++k) {
            QCOMPARE(flashes_[k].time, 500 + 400 * k);
            const bool visible = k % 2 == 1;
            QCOMPARE(flashes_[k].firstPick, visible ? 4 : -1);
            QCOMPARE(flashes_[k].secondPick, visible ? 5 : -1);
        }
        QCOMPARE(t.screen.now, 500 + 400 * (steps - 1));
        QCOMPARE(t.screen.count("invalidateCell 4"), steps + 0);
        QCOMPARE(t.game.state().scores[0], 100);
        QCOMPARE(t.game.state().cellMatched[4], 1);
        QCOMPARE(t.game.state().cellMatcher[4], 0);
        QCOMPARE(t.game.state().flashFirst, -1);
    }

    void timedMatchVanishesOnceAfterHalfASecond() {
        Table t;
        t.dealPairsSideBySide();
        t.game.ToggleTimedGame();
        t.choose(0, 1);
        QCOMPARE(t.screen.count("wait 500"), 1);
        QCOMPARE(t.screen.count("wait 400"), 0);
        QCOMPARE(t.screen.now, 500);
        QCOMPARE(t.game.state().firstPick, -1);
    }

    void streakScoresRiseAndPopBeforeScoring() {
        Table t;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        QCOMPARE(t.game.state().scores[0], 100);
        QCOMPARE(t.screen.count("sound Pop.wav wait"), 0);

        t.screen.clear();
        t.choose(2, 3);
        QCOMPARE(t.game.state().scores[0], 250);
        QCOMPARE(t.screen.count("sound Pop.wav wait"), 1);

        t.screen.clear();
        t.screen.now = 0;
        t.choose(4, 5);
        QCOMPARE(t.game.state().scores[0], 450);
        QCOMPARE(t.screen.count("sound Pop.wav wait"), 2);

        // The pops come after the last flash step and before the pair is scored and repainted.
        const auto& e = t.screen.events;
        auto pop = std::find_if(e.begin(), e.end(),
                                [](const auto& x) { return x.what == "sound Pop.wav wait"; });
        auto lastUpdate =
            std::find_if(e.rbegin(), e.rend(), [](const auto& x) { return x.what == "update"; });
        QVERIFY(pop != e.end());
        QVERIFY(lastUpdate.base() - 1 < pop);
        QCOMPARE(pop->time, 2100);
        QCOMPARE((pop + 1)->what, std::string("sound Pop.wav wait"));
        QCOMPARE((pop + 2)->what, std::string("invalidateAll"));
        QCOMPARE((pop + 2)->time, 2100 + 2 * FakePresentation::kPopLength);
    }

    void bonusPairsScoreMoreAndChimeDifferently() {
        Table t;
        t.dealPairsSideBySide();
        t.game.mutableState().bonusImage1 = 0;
        t.game.mutableState().bonusImage2 = 1;
        t.choose(0, 1);
        QCOMPARE(t.game.state().scores[0], 250);
        QCOMPARE(t.screen.sounds, std::vector<std::string>{"Bonus.wav"});
        t.screen.clear();
        t.choose(2, 3);
        QCOMPARE(t.game.state().scores[0], 550);
        QCOMPARE(t.screen.sounds, (std::vector<std::string>{"Bonus.wav", "Pop.wav"}));
    }

    void aBonusImageDrawnTwiceIsOneBonus() {
        Table t;
        t.dealPairsSideBySide();
        t.game.mutableState().bonusImage1 = 3;
        t.game.mutableState().bonusImage2 = 3;
        t.choose(6, 7);
        QCOMPARE(t.game.state().scores[0], 250);
    }

    // --- a mismatch ---

    void mismatchStaysForTheDisplayTime_data() {
        QTest::addColumn<bool>("timed");
        QTest::addColumn<int>("displayTime");
        QTest::addColumn<int>("coveredAt");
        QTest::newRow("untimed, 1500") << false << 1500 << 1500;
        QTest::newRow("untimed, 1") << false << 1 << 1;
        QTest::newRow("untimed, 5000") << false << 5000 << 5000;
        QTest::newRow("timed ignores 3000") << true << 3000 << 500;
    }
    void mismatchStaysForTheDisplayTime() {
        QFETCH(bool, timed);
        QFETCH(int, displayTime);
        QFETCH(int, coveredAt);
        Table t;
        t.settings.unmatchedDisplayTime = displayTime;
        t.dealPairsSideBySide();
        if (timed) {
            t.game.ToggleTimedGame();
        }
        t.game.OnBoardButton(0);
        t.screen.clear();
        t.game.OnBoardButton(2);
        QCOMPARE(t.screen.timeOf("show 0"), coveredAt);
        QCOMPARE(t.screen.timeOf("show 2"), coveredAt);
        QCOMPARE(t.screen.frames.front().firstPick, 0);
        QCOMPARE(t.screen.frames.front().secondPick, 2);
        QCOMPARE(t.screen.frames.front().time, 0);
        QVERIFY(t.screen.sounds.empty());
        QCOMPARE(t.game.state().firstPick, -1);
        QCOMPARE(t.game.state().secondPick, -1);
    }

    void turnsPassOnlyOnAMismatchBetweenTwoPlayers() {
        Table t;
        t.settings.numberPlayers = 2;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        QCOMPARE(t.game.state().currentPlayer, 0);
        QCOMPARE(t.game.state().streak, 1);
        t.choose(2, 4);
        QCOMPARE(t.game.state().currentPlayer, 1);
        QCOMPARE(t.game.state().streak, 0);
        t.choose(2, 3);
        QCOMPARE(t.game.state().scores[1], 100);
        QCOMPARE(t.game.state().cellMatcher[2], 1);
        t.choose(4, 6);
        QCOMPARE(t.game.state().currentPlayer, 0);
    }

    void onePlayerKeepsTheTurnAndLosesOnlyTheStreak() {
        Table t;
        t.settings.numberPlayers = 1;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        t.choose(2, 4);
        QCOMPARE(t.game.state().currentPlayer, 0);
        QCOMPARE(t.game.state().streak, 0);
        t.choose(2, 3);
        QCOMPARE(t.game.state().scores[0], 200);
        QCOMPARE(t.game.state().scores[1], 0);
    }

    void droppingToOnePlayerHandsTheTurnBackToPlayerOne() {
        Table t;
        t.settings.numberPlayers = 2;
        t.dealPairsSideBySide();
        t.choose(0, 2);
        t.choose(4, 5); // player 2 scores
        QCOMPARE(t.game.state().currentPlayer, 1);
        t.settings.numberPlayers = 1;
        t.game.OnNumberPlayersChanged();
        QCOMPARE(t.game.state().currentPlayer, 0);
        QCOMPARE(t.game.state().streak, 0);
        QCOMPARE(t.game.state().scores[1], 100);
        t.choose(0, 1);
        QCOMPARE(t.game.state().scores[0], 100);
    }

    // --- ignored choices ---

    void choosingTheUncoveredCellOrARemovedOneDoesNothing() {
        Table t;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        t.game.OnBoardButton(2);
        t.screen.clear();
        t.game.OnBoardButton(2);
        t.game.OnBoardButton(0);
        QCOMPARE(t.game.state().firstPick, 2);
        QCOMPARE(t.game.state().secondPick, -1);
        QCOMPARE(t.screen.count("invalidateCell 2"), 0);
        QCOMPARE(t.screen.count("relabel -1 -1"), 2);
        QCOMPARE(t.game.state().scores[0], 100);
    }

    // --- the end ---

    void lastPairShowsTheBoardForASecondThenTheResult() {
        Table t(1);
        t.settings.numberPlayers = 1;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        QCOMPARE(t.game.state().gameOver, 0);
        t.screen.clear();
        t.screen.now = 0;
        t.choose(2, 3);

        const auto& s = t.game.state();
        QCOMPARE(s.gameOver, 1);
        QCOMPARE(s.scores[0], 250);
        QCOMPARE(t.screen.sounds,
                 (std::vector<std::string>{"Match.wav", "Pop.wav", "You Won.wav"}));
        const int flashEnd = 500 + 4 * 400 + FakePresentation::kPopLength;
        QCOMPARE(t.screen.timeOf("wait 1000"), flashEnd);
        QCOMPARE(t.screen.timeOf("sound You Won.wav"), flashEnd + 1000);
        // All four buttons are hidden before the pause, the result is painted after it.
        int hiddenAtTheEnd = 0;
        for (const auto& e : t.screen.events) {
            hiddenAtTheEnd += e.time == flashEnd && e.what.rfind("hide ", 0) == 0;
        }
        QCOMPARE(hiddenAtTheEnd, 4);
        QCOMPARE(t.screen.events.back().what, std::string("relabel -1 -1"));
        QCOMPARE(t.screen.events[t.screen.events.size() - 2].what, std::string("update"));
        QCOMPARE(t.screen.events[t.screen.events.size() - 2].time, flashEnd + 1000);

        // A finished board ignores every further choice.
        t.screen.clear();
        t.game.OnBoardButton(1);
        QCOMPARE(t.game.state().firstPick, -1);
        QVERIFY(t.screen.sounds.empty());
    }

    void winnerCueDependsOnTheResult_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<int>("score0");
        QTest::addColumn<int>("score1");
        QTest::addColumn<bool>("cue");
        QTest::newRow("two players, 600 to 600") << 2 << 500 << 600 << false;
        QTest::newRow("two players, 700 to 450") << 2 << 600 << 450 << true;
        QTest::newRow("two players, player 2 ahead") << 2 << 0 << 900 << true;
        QTest::newRow("one player") << 1 << 0 << 0 << true;
    }
    void winnerCueDependsOnTheResult() {
        QFETCH(int, players);
        QFETCH(int, score0);
        QFETCH(int, score1);
        QFETCH(bool, cue);
        Table t(1);
        t.settings.numberPlayers = players;
        t.dealPairsSideBySide();
        t.choose(2, 3);
        t.game.mutableState().scores = {score0, score1};
        t.game.mutableState().streak = 0;
        t.screen.clear();
        t.choose(0, 1); // player 1 scores 100 and ends the game
        QCOMPARE(t.game.state().gameOver, 1);
        const bool played = std::count(t.screen.sounds.begin(), t.screen.sounds.end(),
                                       std::string("You Won.wav")) == 1;
        QCOMPARE(played, cue);
    }

    // --- sounds ---

    void cuesComeFromTheStartupFolder() {
        Table t;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        QCOMPARE(t.screen.soundPaths, std::vector<std::string>{"/games/gemino/Match.wav"});
    }

    void soundsOffPlaysNothingAndPopsTakeNoTime() {
        Table t;
        t.settings.playSounds = false;
        t.dealPairsSideBySide();
        t.choose(0, 1);
        t.screen.now = 0;
        t.choose(2, 3);
        QVERIFY(t.screen.sounds.empty());
        QCOMPARE(t.screen.now, 500 + 4 * 400);
        QCOMPARE(t.game.state().scores[0], 250);
    }

    // --- the keyboard ---

    void columnAndRowChooseACellInEitherOrder_data() {
        QTest::addColumn<bool>("columnFirst");
        QTest::newRow("C then 2") << true;
        QTest::newRow("2 then C") << false;
    }
    void columnAndRowChooseACellInEitherOrder() {
        QFETCH(bool, columnFirst);
        Table t(8);
        t.deal();
        if (columnFirst) {
            QVERIFY(t.game.OnKeyDown(letter('C')));
            QCOMPARE(t.screen.highlightColumn, 2);
            QVERIFY(t.game.OnKeyDown(digit('2')));
        } else {
            QVERIFY(t.game.OnKeyDown(digit('2')));
            QCOMPARE(t.screen.highlightRow, 1);
            QVERIFY(t.game.OnKeyDown(letter('C')));
        }
        QCOMPARE(t.game.state().firstPick, 10);
        QCOMPARE(t.game.state().selectedColumn, -1);
        QCOMPARE(t.game.state().selectedRow, -1);
        QCOMPARE(t.screen.highlightRow, -1);
        QCOMPARE(t.screen.highlightColumn, -1);
    }

    void escapeBetweenColumnAndRowChoosesNothing() {
        Table t(8);
        t.deal();
        t.game.OnKeyDown(letter('C'));
        QVERIFY(t.game.OnKeyDown(KeyPress{KeyPress::Kind::Escape, 0, false, false}));
        t.game.OnKeyDown(digit('2'));
        QCOMPARE(t.game.state().firstPick, -1);
        QCOMPARE(t.game.state().selectedRow, 1);
        QCOMPARE(t.screen.highlightRow, 1);
    }

    void aColumnReplacesARowOnScreenButBothAreKept() {
        Table t(8);
        t.deal();
        t.game.OnKeyDown(digit('3'));
        t.game.OnKeyDown(letter('X')); // beyond the board: consumed, nothing changes
        QCOMPARE(t.game.state().selectedRow, 2);
        QCOMPARE(t.game.state().firstPick, -1);
        t.game.OnKeyDown(letter('H'));
        QCOMPARE(t.game.state().firstPick, 2 * 8 + 7);
    }

    void choosingTheUncoveredCellByKeyClearsTheSelection() {
        Table t(8);
        t.deal();
        t.game.OnKeyDown(letter('A'));
        t.game.OnKeyDown(digit('1'));
        QCOMPARE(t.game.state().firstPick, 0);
        t.screen.clear();
        t.game.OnKeyDown(letter('A'));
        t.game.OnKeyDown(digit('1'));
        QCOMPARE(t.game.state().firstPick, 0);
        QCOMPARE(t.game.state().secondPick, -1);
        QCOMPARE(t.game.state().selectedColumn, -1);
        QCOMPARE(t.screen.count("invalidateCell 0"), 0);
    }

    void modifiedKeysReachTheMenuOrTheBoard_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<char>("character");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("consumed");
        QTest::addColumn<int>("column");
        const int L = int(KeyPress::Kind::Letter);
        QTest::newRow("Ctrl+N passes") << L << 'N' << true << false << false << -1;
        QTest::newRow("Ctrl+A passes") << L << 'A' << true << false << false << -1;
        QTest::newRow("Ctrl+T passes") << L << 'T' << true << false << false << -1;
        QTest::newRow("Ctrl+E selects E") << L << 'E' << true << false << true << 4;
        QTest::newRow("Shift+C passes") << L << 'C' << false << true << false << -1;
        QTest::newRow("Shift+F passes") << L << 'F' << false << true << false << -1;
        QTest::newRow("Shift+M passes") << L << 'M' << false << true << false << -1;
        QTest::newRow("Shift+T passes") << L << 'T' << false << true << false << -1;
        QTest::newRow("Shift+B selects B") << L << 'B' << false << true << true << 1;
        QTest::newRow("Ctrl+Shift+F passes") << L << 'F' << true << true << false << -1;
        QTest::newRow("keypad 2 is consumed")
            << int(KeyPress::Kind::KeypadDigit) << '2' << false << false << true << -1;
        QTest::newRow("Shift+F1 is consumed")
            << int(KeyPress::Kind::Other) << char(0) << false << true << true << -1;
        QTest::newRow("digit 5 is consumed")
            << int(KeyPress::Kind::Digit) << '5' << false << false << true << -1;
    }
    void modifiedKeysReachTheMenuOrTheBoard() {
        QFETCH(int, kind);
        QFETCH(char, character);
        QFETCH(bool, ctrl);
        QFETCH(bool, shift);
        QFETCH(bool, consumed);
        QFETCH(int, column);
        Table t(8);
        t.deal();
        const bool handled =
            t.game.OnKeyDown(KeyPress{KeyPress::Kind(kind), character, ctrl, shift});
        QCOMPARE(handled, consumed);
        QCOMPARE(t.game.state().selectedColumn, column);
        QCOMPARE(t.game.state().selectedRow, -1);
    }

    void ctrlEIsBeyondAFourColumnBoard() {
        Table t(4);
        t.deal();
        QVERIFY(t.game.OnKeyDown(letter('E', true)));
        QCOMPARE(t.game.state().selectedColumn, -1);
    }

    // --- the clock and the preview ---

    void clockStartsAtTheFirstChoiceAndStopsAtTheEnd() {
        Table t(1);
        t.dealPairsSideBySide();
        t.game.ToggleTimedGame();
        QVERIFY(!t.screen.clockRunning);
        t.game.OnTimer(1); // no clock yet: not counted
        QCOMPARE(t.game.state().elapsedSeconds, 0);

        t.game.OnBoardButton(0);
        QVERIFY(t.screen.clockRunning);
        QVERIFY(!t.game.CanToggleTimedGame());
        t.game.ToggleTimedGame(); // disabled: no effect
        QCOMPARE(t.game.state().timedGame, 1);
        for (int i = 0; i < 65; ++i) {
            t.game.OnTimer(1);
        }
        t.game.OnTimer(2);
        QCOMPARE(t.game.state().elapsedSeconds, 65);
        QCOMPARE(t.screen.count("invalidateScoreBand"), 65);

        t.game.OnBoardButton(1);
        t.choose(2, 3);
        QCOMPARE(t.game.state().gameOver, 1);
        QVERIFY(!t.screen.clockRunning);
        QCOMPARE(t.game.state().elapsedSeconds, 65);
        t.game.OnTimer(1);
        QCOMPARE(t.game.state().elapsedSeconds, 65);

        t.game.NewGame();
        QCOMPARE(t.game.state().elapsedSeconds, 0);
        QCOMPARE(t.game.state().timedGame, 1);
        QVERIFY(t.game.CanToggleTimedGame());
    }

    void newGameInTheMiddleOfATimedGameStopsTheClock() {
        Table t;
        t.dealPairsSideBySide();
        t.game.ToggleTimedGame();
        t.game.OnBoardButton(0);
        t.game.OnTimer(1);
        t.game.NewGame();
        QVERIFY(!t.screen.clockRunning);
        QCOMPARE(t.game.state().elapsedSeconds, 0);
        QCOMPARE(t.game.state().awaitingFirstPick, 1);
    }

    void timedSwitchOnAndOffLeavesNoClock() {
        Table t;
        t.deal();
        t.game.ToggleTimedGame();
        QCOMPARE(t.game.state().timedGame, 1);
        t.game.ToggleTimedGame();
        QCOMPARE(t.game.state().timedGame, 0);
        QCOMPARE(t.screen.count("invalidateAll"), 2);
        t.game.OnBoardButton(0);
        QVERIFY(!t.screen.clockRunning);
        QCOMPARE(t.screen.count("startClock"), 0);
    }

    void previewShowsEveryCellForFiveSeconds() {
        Table t(3);
        t.deal();
        t.game.ShowAllImages();
        const int shown = t.screen.timeOf("show 0");
        QCOMPARE(shown, 5000);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(t.screen.timeOf("hide " + std::to_string(i)), 0);
            QVERIFY(t.screen.buttonVisible[i]);
        }
        QCOMPARE(t.screen.timeOf("wait 5000"), 0);
        QCOMPARE(t.game.state().showingAll, 0);
        QCOMPARE(t.game.state().awaitingFirstPick, 1);
        QVERIFY(t.game.CanShowAllImages());
        QVERIFY(t.game.CanToggleTimedGame());

        t.game.OnBoardButton(0);
        QVERIFY(!t.game.CanShowAllImages());
        t.screen.clear();
        t.game.ShowAllImages(); // disabled after the first choice
        QVERIFY(t.screen.events.empty());
    }

    void previewIsOnWhileItWaits() {
        struct Probe : FakePresentation {
            void Wait(int ms) override {
                showingDuringWait = game->state().showingAll;
                FakePresentation::Wait(ms);
            }
            int showingDuringWait = -1;
        };
        GameSettings settings;
        Probe screen;
        FakeImageList images(20);
        Random random;
        random.setState(7);
        Game game(settings, screen, images, random);
        screen.game = &game;
        game.NewGame();
        game.ShowAllImages();
        QCOMPARE(screen.showingDuringWait, 1);
    }
};

QTEST_GUILESS_MAIN(TestGame)
#include "tst_game.moc"

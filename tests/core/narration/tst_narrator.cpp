#include "core/engine/game.h"
#include "core/engine/random.h"
#include "core/narration/narrator.h"
#include "core/settings/settings.h"
#include "support/fakepresentation.h"

#include <QStringList>
#include <QTest>

#include <vector>

using gemino::GameState;
using gemino::KeyPress;
using gemino::News;
using Kind = gemino::News::Kind;

namespace {

const char* const kPictures[] = {"heart", "club", "spade", "diamond", "sun",  "eye",
                                 "key",   "bell", "cone",  "lamp",    "fish", "cup"};

// The recorder's screen, which also takes a look before each wait of the engine, as the
// session does when the view is about to wait.
class WatchedScreen : public FakePresentation {
public:
    void wait(int ms) override {
        std::vector<News> news = narrator->observe(game->state());
        if (!news.empty()) {
            told.push_back(std::move(news));
        }
        FakePresentation::wait(ms);
    }
    gemino::Narrator* narrator = nullptr;
    std::vector<std::vector<News>> told;
};

QStringList texts(const std::vector<News>& news) {
    QStringList out;
    for (const News& item : news) {
        out << QString::fromStdString(item.text);
    }
    return out;
}

// A game whose pairs lie side by side (cells 2k and 2k + 1 hold image k, "heart", "club", ...),
// told from its deal on.
struct Story {
    explicit Story(int columns = 2, int players = 2) : images(20) {
        settings.columns = columns;
        settings.numberPlayers = players;
        settings.player1Name = "Ann";
        settings.player2Name = "Bob";
        screen.game = &game;
        screen.narrator = &narrator;
        random.setState(1);
        game.NewGame();
        auto& s = game.mutableState();
        for (int i = 0; i < game.cellsInPlay(); ++i) {
            s.cellImage[i] = i / 2;
        }
        s.bonusImage1 = s.bonusImage2 = -1;
        dealNews = narrator.dealt(game.state());
        screen.clear();
    }

    // What an operation told before its waits, and then what it told when it was over.
    QStringList during() {
        QStringList out;
        for (const auto& news : screen.told) {
            out << texts(news).join(' ');
        }
        screen.told.clear();
        return out;
    }
    QStringList after() { return texts(narrator.observe(game.state())); }
    void key(KeyPress::Kind kind, char c = 0) {
        KeyPress press;
        press.kind = kind;
        press.character = c;
        game.onKeyDown(press);
    }

    gemino::GameSettings settings;
    WatchedScreen screen;
    FakeImageList images;
    gemino::Random random;
    gemino::Game game{settings, screen, images, random};
    gemino::Narrator narrator{settings, [](int image) {
                                  return image < 12 ? std::string(kPictures[image]) : std::string();
                              }};
    std::vector<News> dealNews;
};

GameState stateOfScores(int first, int second, bool over) {
    GameState s;
    s.scores = {first, second};
    s.gameOver = over;
    return s;
}

} // namespace

class TestNarrator : public QObject {
    Q_OBJECT
private slots:
    void dealTellsTheBoard() {
        Story two(8, 2);
        QCOMPARE(texts(two.dealNews),
                 QStringList({"New game of 16 pairs in 4 rows, columns A to H. Ann to play."}));
        Story one(1, 1);
        QCOMPARE(texts(one.dealNews), QStringList({"New game of 2 pairs in 4 rows, column A."}));
    }

    void matchIsToldWhileItShowsAndScoredAfterItsFlashes() {
        Story t(2, 2);
        t.game.OnBoardButton(0);
        QCOMPARE(t.during(), QStringList());
        QCOMPARE(t.after(), QStringList({"A-1: heart."}));

        t.game.OnBoardButton(1);
        // Told once, at the first wait, with both pictures still on the screen; the flashes
        // that follow tell nothing.
        QCOMPARE(t.screen.count("wait 400"), 4);
        QCOMPARE(t.during(), QStringList({"B-1: heart. A match for Ann."}));
        QCOMPARE(t.after(), QStringList({"Ann scores 100 points, 100 in all. 3 pairs left."}));

        // Same player again: a second match scores 150.
        t.game.OnBoardButton(2);
        t.after();
        t.game.OnBoardButton(3);
        t.during();
        QCOMPARE(t.after(), QStringList({"Ann scores 150 points, 250 in all. 2 pairs left."}));
    }

    void mismatchIsToldThenCoveredAndTheTurnPasses() {
        Story t(2, 2);
        t.game.OnBoardButton(0);
        t.after();
        t.game.OnBoardButton(2);
        QCOMPARE(t.during(), QStringList({"A-2: club. No match."}));
        QCOMPARE(t.after(), QStringList({"A-1 and A-2 are covered again.", "Bob to play."}));

        Story one(2, 1);
        one.game.OnBoardButton(7);
        one.after();
        one.game.OnBoardButton(0);
        QCOMPARE(one.during(), QStringList({"A-1: heart. No match."}));
        QCOMPARE(one.after(), QStringList({"B-4 and A-1 are covered again."}));
    }

    void keyboardHalfChoicesAreTold() {
        Story t(2, 2);
        t.key(KeyPress::Kind::Letter, 'B');
        QCOMPARE(t.after(), QStringList({"Column B."}));
        t.key(KeyPress::Kind::Digit, '1');
        QCOMPARE(t.after(), QStringList({"B-1: heart."}));

        t.key(KeyPress::Kind::Digit, '3');
        QCOMPARE(t.after(), QStringList({"Row 3."}));
        t.key(KeyPress::Kind::Escape);
        QCOMPARE(t.after(), QStringList({"No cell chosen."}));

        // The cell already uncovered cannot be chosen again.
        t.key(KeyPress::Kind::Letter, 'B');
        t.after();
        t.key(KeyPress::Kind::Digit, '1');
        QCOMPARE(t.after(), QStringList({"No cell chosen."}));

        // A second cell from the keyboard: the half-choice is not told again during the wait.
        t.key(KeyPress::Kind::Digit, '2');
        QCOMPARE(t.after(), QStringList({"Row 2."}));
        t.key(KeyPress::Kind::Letter, 'B');
        QCOMPARE(t.during(), QStringList({"B-2: club. No match."}));
        QCOMPARE(t.after(), QStringList({"B-1 and B-2 are covered again.", "Bob to play."}));
    }

    void previewListsEveryCell() {
        Story t(1, 1);
        t.game.ShowAllImages();
        QCOMPARE(t.during(), QStringList({"All pictures, for 5 seconds: A-1 heart; A-2 heart; "
                                          "A-3 club; A-4 club."}));
        QCOMPARE(t.after(), QStringList({"The pictures are covered again."}));
        QVERIFY(t.game.state().awaitingFirstPick);
    }

    void timedOnePlayerGameEndsWithItsTime() {
        Story t(1, 1);
        t.game.ToggleTimedGame();
        QCOMPARE(t.after(), QStringList({"Timed game on."}));
        t.game.OnBoardButton(0);
        for (int tick = 0; tick < 7; ++tick) {
            t.game.OnTimer(gemino::kClockTimerId);
        }
        t.after();
        t.game.OnBoardButton(1);
        t.during();
        t.after();
        t.game.OnBoardButton(2);
        t.after();
        t.game.OnBoardButton(3);
        QCOMPARE(t.during(), QStringList({"A-4: club. A match for Ann.",
                                          "Ann scores 150 points, 250 in all. All pairs found."}));
        QCOMPARE(t.after(), QStringList({"Game over. Ann Wins! 250 points. Time 0:07."}));
    }

    void resultsOfTwoPlayers_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("told");
        QTest::newRow("first wins") << 700 << 450 << "Game over. Ann Wins! 700 to 450.";
        QTest::newRow("second wins") << 300 << 500 << "Game over. Bob Wins! 500 to 300.";
        QTest::newRow("tie") << 600 << 600 << "Game over. Game is a Tie, 600 to 600.";
    }
    void resultsOfTwoPlayers() {
        QFETCH(int, first);
        QFETCH(int, second);
        gemino::GameSettings settings;
        settings.player1Name = "Ann";
        settings.player2Name = "Bob";
        gemino::Narrator narrator(settings, {});
        narrator.dealt(stateOfScores(first, second, false));
        const auto news = narrator.observe(stateOfScores(first, second, true));
        QCOMPARE(news.size(), std::size_t(1));
        QCOMPARE(news[0].kind, Kind::GameOver);
        QTEST(QString::fromStdString(news[0].text), "told");
    }

    void playersAndNamesAreTold() {
        Story t(2, 2);
        t.settings.numberPlayers = 1;
        t.game.onNumberPlayersChanged();
        QCOMPARE(t.after(), QStringList({"One player: Ann."}));
        t.settings.player2Name.clear();
        t.settings.numberPlayers = 2;
        QCOMPARE(t.after(), QStringList({"Two players: Ann and Player 2."}));
    }

    void cellsInWords_data() {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("description");
        QTest::newRow("covered") << 5 << "covered";
        QTest::newRow("first pick") << 0 << "heart";
        QTest::newRow("flashing away") << 2 << "heart";
        QTest::newRow("found by the second player") << 3 << "heart, found by Bob";
    }
    void cellsInWords() {
        QFETCH(int, cell);
        gemino::GameSettings settings;
        settings.player2Name = "Bob";
        GameState s;
        s.firstPick = 0;
        s.flashFirst = 2;
        s.cellMatched[3] = true;
        s.cellMatcher[3] = 1;
        QTEST(QString::fromStdString(gemino::cellDescription(s, settings, cell, "heart")),
              "description");
        s.showingAll = true;
        QCOMPARE(gemino::cellFace(s, 5), gemino::CellFace::Uncovered);
    }

    void scoreboardAsText() {
        gemino::GameSettings settings;
        settings.player1Name = "Ann";
        settings.player2Name = "";
        GameState s;
        s.scores = {250, 100};
        s.currentPlayer = 1;
        QCOMPARE(gemino::scoreboardText(s, settings),
                 std::string("Ann: 250 points. Player 2: 100 points. Player 2 to play."));
        s.timedGame = true;
        s.elapsedSeconds = 65;
        s.gameOver = true;
        QCOMPARE(gemino::scoreboardText(s, settings),
                 std::string("Ann: 250 points. Player 2: 100 points. Ann Wins! Time 1:05."));
        settings.numberPlayers = 1;
        s.gameOver = false;
        s.timedGame = false;
        QCOMPARE(gemino::scoreboardText(s, settings), std::string("Ann: 250 points."));
    }
};

QTEST_APPLESS_MAIN(TestNarrator)
#include "tst_narrator.moc"

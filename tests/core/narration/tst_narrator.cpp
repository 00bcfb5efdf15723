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

namespace {

const char* const kPictures[] = {"heart", "club", "spade", "diamond", "sun", "eye", "key", "bell"};

QStringList texts(const std::vector<News>& news) {
    QStringList out;
    for (const News& item : news) {
        out << QString::fromStdString(item.text);
    }
    return out;
}

// The recorder's screen, which also takes a look before each wait, as the session does when
// the view is about to wait.
class WatchedScreen : public FakePresentation {
public:
    void wait(int ms) override {
        if (const auto news = narrator->observe(game->state()); !news.empty()) {
            told << texts(news).join(' ');
        }
        FakePresentation::wait(ms);
    }
    gemino::Narrator* narrator = nullptr;
    QStringList told;
};

// A game told from its deal on, its pairs side by side: cells 2k and 2k + 1 hold "heart",
// "club", ... in turn.
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
        deal = texts(narrator.dealt(game.state()));
        screen.clear();
    }

    // What an operation told before its waits; then what it told once it was over.
    QStringList during() { return std::exchange(screen.told, {}); }
    QStringList after() { return texts(narrator.observe(game.state())); }
    void key(KeyPress::Kind kind, char c = 0) { game.onKeyDown({kind, c, false, false}); }

    gemino::GameSettings settings;
    WatchedScreen screen;
    FakeImageList images;
    gemino::Random random;
    gemino::Game game{settings, screen, images, random};
    gemino::Narrator narrator{settings, [](int image) { return std::string(kPictures[image]); }};
    QStringList deal;
};

} // namespace

class TestNarrator : public QObject {
    Q_OBJECT
private slots:
    void matchIsToldWhileItShowsAndScoredAfterItsFlashes() {
        Story t(2, 2);
        QCOMPARE(t.deal,
                 QStringList({"New game of 4 pairs in 4 rows, columns A to B. Ann to play."}));
        t.game.OnBoardButton(0);
        QCOMPARE(t.after(), QStringList({"A-1: heart."}));
        t.game.OnBoardButton(1);
        // Told at the first wait, with both pictures on the screen; the flashes tell nothing.
        QCOMPARE(t.screen.count("wait 400"), 4);
        QCOMPARE(t.during(), QStringList({"B-1: heart. A match for Ann."}));
        QCOMPARE(t.after(), QStringList({"Ann scores 100 points, 100 in all. 3 pairs left."}));
    }

    void keyboardHalfChoiceWithoutACellIsTold() {
        Story t(2, 2);
        t.game.OnBoardButton(1);
        t.after();
        // The uncovered cell again, or Esc: nothing is chosen.
        for (const KeyPress::Kind last : {KeyPress::Kind::Letter, KeyPress::Kind::Escape}) {
            t.key(KeyPress::Kind::Digit, '1');
            QCOMPARE(t.after(), QStringList({"Row 1."}));
            t.key(last, 'B');
            QCOMPARE(t.after(), QStringList({"No cell chosen."}));
        }
    }

    void previewListsEveryCell() {
        Story t(1, 1);
        t.game.ShowAllImages();
        QCOMPARE(t.during(), QStringList({"All pictures, for 5 seconds: A-1 heart; A-2 heart; "
                                          "A-3 club; A-4 club."}));
        QCOMPARE(t.after(), QStringList({"The pictures are covered again."}));
    }

    void timedOnePlayerGameEndsWithItsTime() {
        Story t(1, 1);
        t.game.ToggleTimedGame();
        QCOMPARE(t.after(), QStringList({"Timed game on."}));
        t.game.OnBoardButton(0);
        for (int tick = 0; tick < 7; ++tick) {
            t.game.OnTimer(gemino::kClockTimerId);
        }
        t.game.OnBoardButton(1);
        t.game.OnBoardButton(2);
        t.during();
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
        Story t(2, 2);
        GameState s;
        s.scores = {first, second};
        t.narrator.dealt(s);
        s.gameOver = true;
        const auto news = t.narrator.observe(s);
        QCOMPARE(news.size(), std::size_t(1));
        QTEST(QString::fromStdString(news[0].text), "told");
    }
};

QTEST_APPLESS_MAIN(TestNarrator)
#include "tst_narrator.moc"

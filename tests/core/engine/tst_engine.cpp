#include "core/board/geometry.h"
#include "core/engine/game.h"
#include "core/engine/random.h"
#include "core/engine/scoreboard.h"
#include "core/narration/narrator.h"
#include "core/records/records.h"
#include "core/settings/memorysettingsstore.h"
#include "core/settings/settings.h"
#include "support/fakepresentation.h"

#include <QStringList>
#include <QTest>

#include <map>

using namespace gemino;
using Kind = KeyPress::Kind;

namespace {

// A game on a virtual clock, dealt from generator state 1.
struct Table {
    explicit Table(int columns = 8, int players = 2) : images(20) {
        settings.columns = columns;
        settings.numberPlayers = players;
        settings.startupDirectory = "/games";
        settings.player1Name = "Ann";
        settings.player2Name = "Bob";
        screen.game = &game;
        random.setState(1);
        game.NewGame();
        screen.clear();
    }

    // Lays the pairs side by side (cells 2k and 2k+1 hold image k), without bonus images.
    Table& sideBySide() {
        auto& s = game.mutableState();
        for (int i = 0; i < game.cellsInPlay(); ++i)
            s.cellImage[i] = i / 2;
        s.bonusImage1 = s.bonusImage2 = -1;
        return *this;
    }

    void choose(int a, int b) {
        game.OnBoardButton(a);
        game.OnBoardButton(b);
    }

    // Types blank-separated keys: "C" a letter, "2" a digit, "^N" Ctrl+N, "+C" Shift+C, "#1" a
    // keypad digit, "!" Esc. Returns the keys left to the menu's shortcuts.
    QString type(const QString& keys) {
        QStringList passed;
        for (const QString& k : keys.split(' ')) {
            KeyPress key{Kind::Letter, k.back().toLatin1(), k[0] == '^', k[0] == '+'};
            if (k.back().isDigit())
                key.kind = k[0] == '#' ? Kind::KeypadDigit : Kind::Digit;
            else if (k == "!")
                key.kind = Kind::Escape;
            if (!game.onKeyDown(key))
                passed << k;
        }
        return passed.join(' ');
    }

    const GameState& state() const { return game.state(); }

    GameSettings settings;
    FakePresentation screen;
    FakeImageList images;
    Random random;
    Game game{settings, screen, images, random};
};

const char* const kPictures[] = {"heart", "club", "spade", "diamond"};

QStringList texts(const std::vector<News>& news) {
    QStringList out;
    for (const News& item : news) {
        out << QString::fromStdString(item.text);
    }
    return out;
}

// A game told from its deal on, its pairs side by side: cells 2k and 2k + 1 hold "heart",
// "club", ... in turn. The screen takes a look before each wait, as the session does when the
// view is about to wait.
struct Story : Table {
    explicit Story(int columns = 2, int players = 2) : Table(columns, players) {
        sideBySide();
        deal = texts(narrator.dealt(state()));
        screen.beforeWait = [this] {
            if (const auto news = narrator.observe(state()); !news.empty()) {
                told << texts(news).join(' ');
            }
        };
    }

    // What an operation told before its waits; then what it told once it was over.
    QStringList during() { return std::exchange(told, {}); }
    QStringList after() { return texts(narrator.observe(state())); }

    Narrator narrator{settings, [](int image) { return std::string(kPictures[image]); }};
    QStringList deal;
    QStringList told;
};

// 10 px a byte in the score font ('i' 5 px, so a column can be odd), 20 px in the banner font.
TextSize measure(ScoreFont font, const std::string& text) {
    int width = 0;
    for (char c : text)
        width += font == ScoreFont::Banner ? 20 : c == 'i' ? 5 : 10;
    return {width, font == ScoreFont::Score ? 25 : 37};
}

// "text@left,top,right,bottom:colour", with "/background" when opaque; colours by initial.
QString describe(const std::vector<ScoreText>& texts) {
    const auto initial = [](Rgb c) {
        return c == kRed ? 'R' : c == kBlack ? 'K' : c == kWhite ? 'W' : 'B';
    };
    QStringList out;
    for (const ScoreText& t : texts) {
        const Rect& r = t.rect;
        out << QString::asprintf("%s@%d,%d,%d,%d:%c", t.text.c_str(), r.left, r.top, r.right,
                                 r.bottom, initial(t.color)) +
                   (t.opaque ? QString('/') + initial(t.background) : QString());
    }
    return out.join(' ');
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private slots:
    // Every image in play on two cells; one bonus image from 12 cells up, two from 20. Nothing
    // draws from the generator but the P + N shuffles and the bonus images.
    void dealPairsCellsAndDrawsBonusImagesByBoardSize() {
        for (const auto& [columns, bonusImages] :
             {std::pair{1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 2}, {10, 2}}) {
            Table t(columns);
            const int n = 4 * columns;
            std::map<int, int> counts;
            for (int i = 0; i < n; ++i)
                ++counts[t.state().cellImage[i]];
            QCOMPARE(int(counts.size()), n / 2);
            QVERIFY(std::all_of(counts.begin(), counts.end(),
                                [&](auto c) { return c.first < n / 2 && c.second == 2; }));
            QCOMPARE(t.state().bonusImage1 >= 0, bonusImages >= 1);
            QCOMPARE(t.state().bonusImage2 >= 0, bonusImages >= 2);
            Random reference;
            reference.setState(1);
            for (int i = 0; i < 20 + n + bonusImages; ++i)
                reference.draw();
            QCOMPARE(t.random.state(), reference.state());
        }
        // The check values: 20 images and 8 cells dealt from state 1.
        Table t(2);
        QCOMPARE(t.images.images, (std::vector<int>{11, 19, 2,  15, 9, 6, 7, 17, 16, 12,
                                                    10, 5,  13, 14, 1, 0, 3, 8,  4,  18}));
        QCOMPARE(std::vector<int>(t.state().cellImage.begin(), t.state().cellImage.begin() + 8),
                 (std::vector<int>{0, 1, 3, 0, 3, 2, 1, 2}));
    }

    void aDealStartsAfreshWhateverCameBefore() {
        Table t(10);
        t.sideBySide().choose(0, 1);
        t.choose(2, 4);
        t.game.OnBoardButton(6);
        QCOMPARE(t.type("J"), QString());
        t.settings.columns = 2;
        t.screen.clear();
        t.game.NewGame();
        const auto& s = t.state();
        QCOMPARE(s.scores, (std::array<int, 2>{0, 0}));
        QCOMPARE(s.currentPlayer + s.streak, 0);
        QVERIFY(!s.gameOver && s.awaitingFirstPick);
        QCOMPARE(s.firstPick, -1);
        QCOMPARE(s.selectedColumn, -1);
        for (int i = 0; i < 8; ++i)
            QVERIFY(!s.cellMatched[i] && t.screen.buttonVisible[i]);
        // Every cell is hidden, then shown; buttons beyond the board are left alone.
        QCOMPARE(t.screen.events[0].what, std::string("hide 0"));
        QCOMPARE(t.screen.events[8].what, std::string("show 0"));
        QCOMPARE(t.screen.count("hide 8"), 0);
        // The column typed on the wider board is forgotten: a row digit alone chooses nothing.
        t.type("1");
        QCOMPARE(s.firstPick, -1);
    }

    // The chime starts as both images are shown; then the pair vanishes at 500 ms and alternates
    // every 400 ms, ending vanished: 2F - 1 steps, or one in a timed game.
    void aMatchFlashesOnSchedule() {
        for (const auto& [flashes, timed] :
             {std::pair{1, false}, {3, false}, {7, false}, {3, true}}) {
            Table t;
            t.settings.matchFlashes = flashes;
            if (timed)
                t.game.ToggleTimedGame();
            t.sideBySide().game.OnBoardButton(4);
            t.screen.clear();
            t.game.OnBoardButton(5);

            QCOMPARE(t.screen.sounds, std::vector<std::string>{"/games/Match.wav"});
            QCOMPARE(t.screen.timeOf("relabel"), 0);
            const int steps = timed ? 1 : 2 * flashes - 1;
            const auto frames = t.screen.all("update");
            QCOMPARE(int(frames.size()), steps);
            for (int k = 0; k < steps; ++k) {
                QCOMPARE(frames[k].time, 500 + 400 * k);
                QCOMPARE(frames[k].what, std::string(k % 2 ? "update 4 5" : "update -1 -1"));
            }
            QCOMPARE(t.screen.now, 500 + 400 * (steps - 1));
            QCOMPARE(t.state().scores[0], 100);
            QCOMPARE(t.state().flashFirst, -1);
        }
    }

    // Each match of a turn scores 50 more than the last, after one more pop; a bonus image 150
    // more. Cues come from the start-up folder, and none at all with sounds off.
    void streaksAndBonusPairsScoreMoreAfterTheirPops() {
        using Totals = std::array<int, 3>;
        // clang-format off
        for (const auto& [bonus, sounds, totals] : {std::tuple{false, true, Totals{100, 250, 450}},
                 {true, true, Totals{250, 550, 900}}, {false, false, Totals{100, 250, 450}}}) {
            // clang-format on
            Table t;
            t.settings.playSounds = sounds;
            t.sideBySide();
            if (bonus) {
                t.game.mutableState().bonusImage1 = 0;
                t.game.mutableState().bonusImage2 = 1; // image 2 is made a bonus below
            }
            for (int k = 0; k < 3; ++k) {
                if (bonus && k == 2)
                    t.game.mutableState().bonusImage2 = 2;
                t.screen.clear();
                t.choose(2 * k, 2 * k + 1);
                QCOMPARE(t.state().scores[0], totals[k]);
                QCOMPARE(t.screen.count("sound Pop.wav"), sounds ? k : 0);
                QCOMPARE(t.screen.sounds.empty(), !sounds);
                if (!sounds)
                    continue;
                const std::string chime = bonus ? "/games/Bonus.wav" : "/games/Match.wav";
                QCOMPARE(t.screen.sounds.front(), chime);
                // Pops follow the last flash step and come before the points and the repaint.
                if (k > 0) {
                    QCOMPARE(t.screen.timeOf("sound Pop.wav"), 2100);
                    QCOMPARE(t.screen.timeOf("invalidateAll"),
                             2100 + k * FakePresentation::kPopLength);
                }
            }
        }
    }

    // Two misses in a row, player 2 matching in between: the turn passes at each miss in a
    // two-player game only, and the streak ends. A removed cell cannot be chosen.
    void missesStayForTheDisplayTimeAndPassTheTurn() {
        // Timed or not, the display time, the players, when the pair is covered again.
        for (const auto& [timed, displayTime, players, coveredAt] :
             {std::tuple{false, 1500, 2, 1500}, {false, 1, 1, 1}, {true, 3000, 2, 500}}) {
            Table t(8, players);
            t.settings.unmatchedDisplayTime = displayTime;
            if (timed)
                t.game.ToggleTimedGame();
            t.sideBySide().choose(0, 1);
            t.game.OnBoardButton(0); // removed: ignored
            t.screen.clear();
            t.choose(2, 4);
            QCOMPARE(t.screen.timeOf("wait " + std::to_string(timed ? 500 : displayTime)), 0);
            QCOMPARE(t.screen.timeOf("show 2"), coveredAt);
            QCOMPARE(t.screen.timeOf("show 4"), coveredAt);
            QVERIFY(t.screen.sounds.empty());
            QCOMPARE(t.state().currentPlayer, players - 1);
            QCOMPARE(t.state().streak, 0);
            t.choose(8, 9);
            QCOMPARE(t.state().cellMatcher[9], players - 1);
            QCOMPARE(t.state().scores[players - 1], players == 2 ? 100 : 200);
            t.choose(3, 6);
            QCOMPARE(t.state().currentPlayer, 0);
            QCOMPARE(t.state().streak, 0);
        }
    }

    void droppingToOnePlayerHandsTheTurnBackToPlayerOne() {
        Table t(8, 2);
        t.sideBySide().choose(0, 2);
        t.choose(4, 5);
        t.settings.numberPlayers = 1;
        t.game.onNumberPlayersChanged();
        QCOMPARE(t.state().currentPlayer, 0);
        QCOMPARE(t.state().streak, 0);
        QCOMPARE(t.state().scores[1], 100);
    }

    // A one-player game is always won, even at scores a change of players left equal.
    void theLastPairShowsTheBoardForASecondThenTheResult() {
        // Players, scores before the last pair of 100 points, whether "You Won" is played.
        using Scores = std::array<int, 2>;
        // clang-format off
        for (const auto& [players, scoresBefore, cue] : {std::tuple{1, Scores{0, 0}, true},
                 {1, Scores{0, 100}, true}, {2, Scores{600, 450}, true}, {2, Scores{500, 600}, false}}) {
            // clang-format on
            Table t(1, players);
            t.sideBySide().choose(2, 3);
            QVERIFY(!t.state().gameOver);
            t.game.mutableState().scores = scoresBefore;
            t.game.mutableState().streak = 0;
            t.screen.clear();
            t.choose(0, 1);

            QVERIFY(t.state().gameOver);
            const int flashEnd = 500 + 4 * 400;
            QCOMPARE(t.screen.timeOf("hide 2"), flashEnd);
            QCOMPARE(t.screen.timeOf("wait 1000"), flashEnd);
            QCOMPARE(t.screen.all("update").back().time, flashEnd + 1000);
            const bool played = t.screen.timeOf("sound You Won.wav") == flashEnd + 1000;
            QCOMPARE(played, cue);
            QCOMPARE(int(t.screen.sounds.size()), cue ? 2 : 1);
        }
    }

    // A column letter and a row digit, in either order, choose a cell; the half-made choice is
    // highlighted and Esc forgets it. Ctrl and Shift with letters of the menu's shortcuts pass
    // the keys on; keypad digits, 0, 5 and letters beyond the columns are swallowed.
    void keysChooseCellsOrReachTheMenu() {
        // Columns, keys: "C" a letter, "2" a digit, "^N" Ctrl+N, "+C" Shift+C, "#1" a keypad 1,
        // "!" Esc; then the keys passed on | the first pick, the column and row chosen so far.
        // clang-format off
        const std::pair<int, const char*> cases[] = {
            {8, "C 2 | 10 -1 -1"}, {8, "2 C | 10 -1 -1"}, {8, "1 A | 0 -1 -1"},
            {8, "E 3 | 20 -1 -1"}, {10, "J 4 | 39 -1 -1"}, {8, "C ! 2 | -1 -1 1"},
            {8, "2 ! C | -1 2 -1"}, {8, "A 1 A 1 | 0 -1 -1"}, {4, "^E E 0 5 #1 3 | -1 -1 2"},
            {8, "^A ^B ^C ^D ^I ^M ^N ^P ^S ^T ^E | ^A ^B ^C ^D ^I ^M ^N ^P ^S ^T -1 4 -1"},
            {8, "+C +F +M +T +B | +C +F +M +T -1 1 -1"},
        };
        // clang-format on
        for (const auto& [columns, keys] : cases) {
            Table t(columns);
            const QString typed = QString(keys).section(" | ", 0, 0);
            QString passed = t.type(typed);
            const auto& s = t.state();
            const QString left =
                QString("%1 %2 %3").arg(s.firstPick).arg(s.selectedColumn).arg(s.selectedRow);
            QCOMPARE(typed + " | " + (passed.isEmpty() ? left : passed + ' ' + left),
                     QString(keys));
            QCOMPARE(s.secondPick, -1);
            QCOMPARE(t.screen.highlightColumn, s.selectedColumn);
            QCOMPARE(t.screen.highlightRow, s.selectedRow);
        }
    }

    void theClockRunsFromTheFirstChoiceToTheEnd() {
        Table t(1);
        t.sideBySide().game.ToggleTimedGame();
        QCOMPARE(t.screen.count("invalidateAll"), 1); // 0:00 shows at once
        t.game.OnTimer(1);                            // armed, not running
        QCOMPARE(t.state().elapsedSeconds, 0);
        t.game.OnBoardButton(0);
        QVERIFY(t.screen.clockRunning && !t.game.canToggleTimedGame());
        t.game.ToggleTimedGame(); // disabled
        for (int i = 0; i < 65; ++i)
            t.game.OnTimer(1);
        t.game.OnTimer(2);
        QCOMPARE(t.state().elapsedSeconds, 65);
        QCOMPARE(t.screen.count("invalidateScoreBand"), 65);
        t.game.OnBoardButton(1);
        t.choose(2, 3);
        QVERIFY(t.state().gameOver && !t.screen.clockRunning);
        t.game.OnTimer(1);
        QCOMPARE(t.state().elapsedSeconds, 65); // frozen until the next deal
        t.game.NewGame();
        t.game.OnBoardButton(0);
        t.game.NewGame(); // a deal mid-game stops the clock too
        QVERIFY(t.state().timedGame && !t.screen.clockRunning);
        QCOMPARE(t.state().elapsedSeconds, 0);
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

    // Over all 32768 draws: 2 only from 24576 up; 1 three times as often as each other value;
    // always within 1 to n.
    void scaledDrawsFavourOne() {
        std::map<int, int> twenty;
        for (int r = 0; r < 32768; ++r) {
            QCOMPARE(Random::scale(r, 2) == 2, r >= 24576);
            QCOMPARE(Random::scale(r, 1), 1);
            ++twenty[Random::scale(r, 20)];
            for (int n : {3, 19, 40}) {
                const int v = Random::scale(r, n);
                QVERIFY(v >= 1 && v <= n);
            }
        }
        QCOMPARE(twenty.size(), std::size_t(20));
        QCOMPARE(twenty[1], 4469);
        for (int v = 2; v <= 20; ++v)
            QVERIFY2(twenty[v] == 1489 || twenty[v] == 1490, qPrintable(QString::number(v)));
    }

    void seedsOnceFromTheClockUnlessAStateWasSet() {
        int calls = 0;
        Random random([&calls] {
            ++calls;
            return 1u;
        });
        QCOMPARE(random.draw(), 41);
        QCOMPARE(random.draw(), 18467);
        QCOMPARE(calls, 1);
        Random set([&calls] { return 99u + calls++; });
        set.setState(1);
        QCOMPARE(set.draw(), 41);
        QCOMPARE(calls, 1);
    }

    // Minutes and seconds at every rollover of their digits; minutes never wrap into hours.
    void clockText() {
        GameState state;
        QVERIFY(timeText(state).empty());
        state.timedGame = true;
        // clang-format off
        for (const auto& [seconds, text] : {std::pair{0, "0:00"}, {9, "0:09"}, {10, "0:10"},
                 {59, "0:59"}, {60, "1:00"}, {61, "1:01"}, {599, "9:59"}, {600, "10:00"},
                 {605, "10:05"}, {3599, "59:59"}, {3600, "60:00"}, {6000, "100:00"}}) {
            // clang-format on
            state.elapsedSeconds = seconds;
            QCOMPARE(timeText(state), std::string(text));
        }
    }

    // The score column starts 12 W / 10 right of the board, W measured on the name with more
    // characters (player 1's on a tie); player 2's score is clipped to the name column's width.
    void layout() {
        const struct {
            const char* names;
            int players, mover;
            bool over;
            std::array<int, 2> scores;
            int seconds, width; // seconds -1: not timed; the width of the view
            const char* texts;
        } cases[] = {
            // clang-format off
            {"Al/Beatrix", 2, 1, false, {0, 0}, -1, 800,
             "Al@10,258,81,288:K 0@88,258,98,288:K Beatrix@10,290,81,320:R 0@88,290,159,320:R"},
            // Equal lengths: player 1's name is measured.
            {"iii/WWW", 2, 0, false, {50, 1234}, -1, 800,
             "iii@10,258,26,288:R 50@28,258,48,288:R WWW@10,290,26,320:K 1234@28,290,44,320:K"},
            // Characters, not bytes.
            {"Zoë/Abci", 2, 0, false, {0, 0}, -1, 800,
             "Zoë@10,258,48,288:R 0@52,258,62,288:R Abci@10,290,48,320:K 0@52,290,90,320:K"},
            {"Player 1/Player 2", 1, 0, false, {250, 0}, 65, 800,
             "Player 1@10,258,98,288:R 250     1:05@106,258,226,288:R"},
            {"Player 1/Player 2", 2, 1, true, {700, 450}, -1, 801,
             "Player 1@10,258,98,288:K/W 700@106,258,136,288:K/W Player 2@10,290,98,320:K/W "
             "450@106,290,194,320:K/W Player 1@320,10,480,47:W/B Wins!@350,57,450,94:W/B"},
            {"A/B", 2, 0, true, {450, 700}, -1, 800,
             "A@10,258,21,288:K/W 450@22,258,52,288:K/W B@10,290,21,320:K/W "
             "700@22,290,33,320:K/W B@390,10,410,47:W/B Wins!@350,57,450,94:W/B"},
            {"A/B", 2, 0, true, {500, 500}, -1, 800,
             "A@10,258,21,288:K/W 500@22,258,52,288:K/W B@10,290,21,320:K/W "
             "500@22,290,33,320:K/W Game is a Tie@270,10,530,47:W/B"},
            // A one-player game is won by the one player shown, even at equal scores; a result
            // wider than the view starts at its left edge.
            {"A/B", 1, 0, true, {100, 100}, 7, 90,
             "A@10,258,21,288:K/W 100     0:07@22,258,142,288:K/W A@35,10,55,47:W/B "
             "Wins!@0,57,100,94:W/B"},
            // clang-format on
        };
        for (const auto& c : cases) {
            GameSettings settings;
            settings.player1Name = QString(c.names).section('/', 0, 0).toStdString();
            settings.player2Name = QString(c.names).section('/', 1).toStdString();
            settings.numberPlayers = c.players;
            GameState state;
            state.currentPlayer = c.mover;
            state.gameOver = c.over;
            state.scores = c.scores;
            state.timedGame = c.seconds >= 0;
            state.elapsedSeconds = c.seconds;
            // Any number of columns: the lines sit below the default board's fourth row.
            const BoardGeometry board{1 + c.width % 10, 50, 12};
            QCOMPARE(describe(layoutScoreboard(state, settings, board, c.width, measure)),
                     QString(c.texts));
            state.showingAll = true;
            QVERIFY(layoutScoreboard(state, settings, board, c.width, measure).empty());
        }
    }

    void matchIsToldWhileItShowsAndScoredAfterItsFlashes() {
        Story t;
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
        Story t;
        t.game.OnBoardButton(1);
        t.after();
        // The uncovered cell again, or Esc: nothing is chosen.
        for (const QString last : {"B", "!"}) {
            t.type("1");
            QCOMPARE(t.after(), QStringList({"Row 1."}));
            t.type(last);
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
            t.game.OnTimer(kClockTimerId);
        }
        t.choose(1, 2);
        t.during();
        t.after();
        t.game.OnBoardButton(3);
        QCOMPARE(t.during(), QStringList({"A-4: club. A match for Ann.",
                                          "Ann scores 150 points, 250 in all. All pairs found."}));
        QCOMPARE(t.after(), QStringList({"Game over. Ann Wins! 250 points. Time 0:07."}));
    }

    void resultsOfTwoPlayers() {
        for (const auto& [first, second, told] :
             {std::tuple{700, 450, "Game over. Ann Wins! 700 to 450."},
              {300, 500, "Game over. Bob Wins! 500 to 300."},
              {600, 600, "Game over. Game is a Tie, 600 to 600."}}) {
            Story t;
            GameState s;
            s.scores = {first, second};
            t.narrator.dealt(s);
            s.gameOver = true;
            QCOMPARE(texts(t.narrator.observe(s)), QStringList{told});
        }
    }

    void cellsLabelsAndRepaintAreas() {
        BoardGeometry g{8, 50, 12};
        for (const auto& [cell, x, y, label] :
             {std::tuple{0, 10, 10, "A-1"}, {9, 72, 72, "B-2"}, {31, 444, 196, "H-4"}}) {
            QCOMPARE(ButtonX(g, cell), x);
            QCOMPARE(ButtonY(g, cell), y);
            QCOMPARE(cellLabel(g, cell), std::string(label));
        }
        QCOMPARE(cellRepaintRects(g, 9)[0], (Rect{72, 72, 122, 122}));
        QCOMPARE(cellRepaintRects(g, 9)[1], (Rect{10, 122, 184, 134}));
        QCOMPARE(cellRepaintRects(g, 8)[1].left, 0); // never left of the window
        // An image text is centred under its cell; the odd pixel goes to the right.
        QCOMPARE(cellTextRect(g, 1, 91, 12), (Rect{52, 60, 143, 72}));
        g.columns = 1;
        QCOMPARE(cellLabel(g, 3), std::string("A-4"));
        QCOMPARE(ButtonX(g, 3), 10);
        g.columns = 10;
        QCOMPARE(cellLabel(g, 39), std::string("J-4"));
    }

    // Edges 2 wide and 3 high, caption 19, menu 20, spacing 12: availW = W - 8,
    // usedW = (c - 1) * 12 + 32, availH = H - 11, usedH = 3 * 20 + 48 + 19 + 2 * 48 = 223. Each
    // side decides once where it divides evenly and once a pixel short of the next size, so no
    // term can be a pixel off unseen.
    void maximizeFillsTheWindow() {
        // clang-format off
        const struct { int columns, width, height, size; } cases[] = {
            {8, 2000, 634, 100}, {8, 2000, 637, 100}, {8, 604, 2000, 60}, {8, 611, 2000, 60},
            {1, 476, 2000, 100}, // one column counts as four
            {8, 100, 100, -33},  // truncated toward zero
        };
        // clang-format on
        for (const auto& c : cases) {
            const WindowMetrics m{2, 3, 19, 20, c.width, c.height};
            QCOMPARE(MaximizeButtonSize(m, c.columns, 12), c.size);
        }
    }

    // Against a record of 3 misses in 60 seconds: "fewer misses? faster? record after".
    void gameAgainstRecord() {
        for (const auto& [misses, timed, seconds, result] :
             {std::tuple{2, false, 0, "1 0 2/60"},
              {3, true, 60, "0 0 3/60"}, // equal is no record
              {5, true, 59, "0 1 3/59"},
              {5, false, 1, "0 0 3/60"}}) { // untimed never beats a time
            const RecordUpdate u = compareWithRecord({3, 60}, {misses, timed, seconds});
            QCOMPARE(QString("%1 %2 %3/%4")
                         .arg(u.fewerMisses)
                         .arg(u.fasterTime)
                         .arg(u.record.fewestMisses)
                         .arg(u.record.bestSeconds),
                     QString(result));
        }
        // A first untimed game sets the misses and leaves the time open.
        QCOMPARE(compareWithRecord({}, {4, false, 0}).record, (BoardRecord{4, -1}));
    }

    // Games with two players for a while are played through the window in tst_mainwindow.
    void onlyGamesOnePlayerFromDealToEndCount() {
        GameTally tally;
        tally.dealt(1);
        tally.missed();
        tally.playersSet(1); // chosen again: still one player
        const auto game = tally.finished(true, 42);
        QVERIFY(game && game->misses == 1 && game->timed && game->seconds == 42);
        QVERIFY2(!tally.finished(true, 42), "a game is submitted once");
    }

    // A separator in a name would make a group of it in the settings file.
    void anyPathIsAKeyWithoutSeparators() {
        const std::string path = "C:\\Games/100% sure/zo\u00EB/\u2603=[x];#a b.c.ims";
        MemorySettingsStore store;
        RecordBook book(store);
        QVERIFY(book.submit({path, 5}, {3, false, 0}).fewerMisses);
        for (const auto& [name, value] : store.values()) {
            QVERIFY2(name.find_first_of("/\\") == std::string::npos, name.c_str());
        }
        const auto all = book.all();
        QCOMPARE(all.size(), std::size_t(1));
        QCOMPARE(all[0].first, (BoardKey{path, 5}));
        QCOMPARE(all[0].second.fewestMisses, 3);
    }

    void recordsAreStoredUnderReadableNamesOnlyWhenBetter() {
        MemorySettingsStore store;
        RecordBook book(store);
        QVERIFY(book.submit({"misc", 8}, {5, true, 95}).improved());
        QCOMPARE(store.ReadInt("misc.8.Misses", -1), 5);
        QCOMPARE(store.ReadInt("misc.8.Seconds", -1), 95);
        const int writes = store.writeCount();
        QVERIFY(!book.submit({"misc", 8}, {6, true, 100}).improved());
        QCOMPARE(store.writeCount(), writes);

        book.submit({"/sets/a.ims", 3}, {1, false, 0});
        QCOMPARE(store.ReadInt("file-%2Fsets%2Fa%2Eims.3.Misses", -1), 1);
        QCOMPARE(store.ReadString("Boards", ""), std::string("misc.8 file-%2Fsets%2Fa%2Eims.3"));
        for (const BoardKey& key : {BoardKey{"misc", 2}, BoardKey{"computer", 10},
                                    BoardKey{"/a.icl", 9}, BoardKey{"flags", 4}}) {
            book.submit(key, {1, false, 0});
        }
        // Standard sets in menu order, then custom sets by path; each by its columns.
        QStringList order;
        for (const auto& [key, record] : book.all()) {
            order << QString::fromStdString(imageSetTitle(key)) + " " +
                         QString::number(key.columns);
        }
        QCOMPARE(order, QStringList({"Computer 10", "Flags 4", "Miscellaneous 2", "Miscellaneous 8",
                                     "a.icl 9", "a.ims 3"}));
        book.clear();
        QVERIFY(book.all().empty());
        QVERIFY2(store.values().empty(), "clearing leaves nothing behind");
    }

    void damagedStoreReadsAsNoRecord() {
        MemorySettingsStore store;
        store.WriteString("Boards", "misc.8  misc.8 bogus.3 misc.11 file-%2f.2 file-misc.2 "
                                    "traffic.4 misc.08 " +
                                        std::string(20000, 'a') + ".1 computer.1");
        store.WriteInt("misc.8.Misses", -7);
        store.WriteInt("misc.8.Seconds", 30);
        store.WriteString("traffic.4.Misses", "three");
        store.WriteInt("computer.1.Misses", 2);
        store.WriteInt("misc.08.Misses", 1);
        RecordBook book(store);
        QStringList listed;
        for (const auto& [key, record] : book.all()) {
            listed << QString("%1=%2/%3")
                          .arg(QString::fromStdString(RecordBook::boardName(key)))
                          .arg(record.fewestMisses)
                          .arg(record.bestSeconds);
        }
        QCOMPARE(listed, QStringList({"computer.1=2/-1", "misc.8=-1/30"}));
        QVERIFY(book.submit({"misc", 8}, {12, false, 0}).fewerMisses);
    }

    void boardsAndMessages() {
        GameSettings settings;
        settings.standardSetName = "Flags";
        settings.columns = 4;
        QCOMPARE(boardKeyOf(settings), (BoardKey{"flags", 4}));
        settings.customSetPath = "C:\\sets\\birds.ims";
        QCOMPARE(boardKeyOf(settings), (BoardKey{"C:\\sets\\birds.ims", 4}));

        RecordUpdate update{true, true, {2, 65}};
        QCOMPARE(newRecordMessage({"misc", 1}, update),
                 std::string("New record on Miscellaneous, 1 column: 2 misses, best time 1:05."));
        QCOMPARE(newRecordMessage({"misc", 1}, {}), std::string());
        QCOMPARE(formatMisses(0) + ", " + formatMisses(1), std::string("no misses, 1 miss"));
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"

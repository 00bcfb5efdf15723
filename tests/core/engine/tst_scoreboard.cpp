#include "core/engine/game.h"
#include "core/engine/scoreboard.h"
#include "core/settings/settings.h"

#include <QStringList>
#include <QTest>

using namespace gemino;

namespace {

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

class TestScoreboard : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestScoreboard)
#include "tst_scoreboard.moc"

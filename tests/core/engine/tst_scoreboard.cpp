#include "core/engine/game.h"
#include "core/engine/scoreboard.h"
#include "core/settings/settings.h"

#include <QTest>

using namespace gemino;

namespace {

// Every character is 10 px wide in the score font and 20 px in the banner font.
TextSize fixedWidth(ScoreFont font, const std::string& text) {
    const int per = font == ScoreFont::Score ? 10 : 20;
    return {per * static_cast<int>(text.size()), font == ScoreFont::Score ? 25 : 37};
}

const ScoreText* findText(const std::vector<ScoreText>& texts, const std::string& text) {
    for (const auto& t : texts) {
        if (t.text == text) {
            return &t;
        }
    }
    return nullptr;
}

} // namespace

class TestScoreboard : public QObject {
    Q_OBJECT
private slots:
    void nameColumnIsMeasuredOnTheLongerName() {
        GameSettings settings;
        settings.player1Name = "Al";
        settings.player2Name = "Beatrix";
        GameState state;
        BoardGeometry g{8, 50, 12};
        auto texts = layoutScoreboard(state, settings, g, 800, fixedWidth);
        // W = 70: names end at 10 + 77, both score columns start at 10 + 84.
        QCOMPARE(texts[0].rect, (Rect{10, 258, 87, 288}));
        QCOMPARE(texts[1].rect, (Rect{94, 258, 104, 288}));
        QCOMPARE(texts[3].rect, (Rect{94, 290, 171, 320}));

        // Equal lengths: player 1's name is measured even if player 2's is wider in pixels.
        settings.player1Name = "iii";
        settings.player2Name = "WWW";
        auto measure = [](ScoreFont, const std::string& s) {
            return TextSize{s == "WWW" ? 90 : 15, 25};
        };
        texts = layoutScoreboard(state, settings, g, 800, measure);
        QCOMPARE(texts[0].rect.right, 10 + 11 * 15 / 10);
        QCOMPARE(nameColumnWidth(settings, measure), 15);
    }

    void theMoverIsRedUntilTheEnd() {
        GameSettings settings;
        GameState state;
        BoardGeometry g{8, 50, 12};
        state.currentPlayer = 1;
        auto texts = layoutScoreboard(state, settings, g, 800, fixedWidth);
        // The two lines sit at 258-288 and 290-320 below a default board, whatever its width.
        QCOMPARE(texts[0].rect.top, 258);
        QCOMPARE(texts[0].rect.bottom, 288);
        QCOMPARE(texts[2].rect.top, 290);
        QCOMPARE(texts[2].rect.bottom, 320);
        g.columns = 1;
        QCOMPARE(layoutScoreboard(state, settings, g, 800, fixedWidth)[3].rect.top, 290);
        QCOMPARE(texts[0].color, kBlack);
        QCOMPARE(texts[1].color, kBlack);
        QCOMPARE(texts[2].color, kRed);
        QCOMPARE(texts[3].color, kRed);
        QVERIFY(!texts[0].opaque);

        settings.numberPlayers = 1;
        state.currentPlayer = 0;
        texts = layoutScoreboard(state, settings, g, 800, fixedWidth);
        QCOMPARE(texts.size(), std::size_t(2));
        QCOMPARE(texts[0].color, kRed);
        state.gameOver = true;
        state.scores = {300, 0};
        texts = layoutScoreboard(state, settings, g, 800, fixedWidth);
        QCOMPARE(texts[0].color, kBlack);
        QVERIFY(texts[0].opaque);
        QCOMPARE(texts[0].background, kWhite);
        QVERIFY(findText(texts, "Wins!"));
    }

    void timedScoreCarriesTheClock() {
        GameState state;
        state.timedGame = true;
        for (const auto& [seconds, text] :
             {std::pair{0, "0:00"}, {59, "0:59"}, {60, "1:00"}, {605, "10:05"}}) {
            state.elapsedSeconds = seconds;
            QCOMPARE(timeText(state), std::string(text));
        }
        state.timedGame = false;
        QVERIFY(timeText(state).empty());
        state.timedGame = true;
        GameSettings settings;
        state.elapsedSeconds = 65;
        state.scores = {250, 0};
        const auto texts =
            layoutScoreboard(state, settings, BoardGeometry{8, 50, 12}, 800, fixedWidth);
        QCOMPARE(texts[1].text, std::string("250     1:05"));
        QCOMPARE(texts[1].rect.width(), 120);
        QCOMPARE(texts[3].text, std::string("0"));
    }

    void bannerNamesTheWinnerOrTheTie() {
        GameSettings settings;
        GameState state;
        state.gameOver = true;
        state.scores = {700, 450};
        auto texts = layoutScoreboard(state, settings, BoardGeometry{8, 50, 12}, 800, fixedWidth);
        const ScoreText* name = &texts[4];
        QCOMPARE(name->text, std::string("Player 1"));
        QCOMPARE(name->rect, (Rect{(800 - 160) / 2, 10, (800 - 160) / 2 + 160, 47}));
        QCOMPARE(name->color, kWhite);
        QCOMPARE(name->background, kBlue);
        QVERIFY(name->opaque);
        QCOMPARE(name->font, ScoreFont::Banner);
        const ScoreText* wins = findText(texts, "Wins!");
        QVERIFY(wins);
        QCOMPARE(wins->rect, (Rect{(800 - 100) / 2, 57, (800 - 100) / 2 + 100, 94}));

        state.scores = {450, 700};
        texts = layoutScoreboard(state, settings, BoardGeometry{8, 50, 12}, 800, fixedWidth);
        QCOMPARE(texts[4].text, std::string("Player 2"));

        state.scores = {500, 500};
        texts = layoutScoreboard(state, settings, BoardGeometry{8, 50, 12}, 800, fixedWidth);
        QVERIFY(findText(texts, "Game is a Tie"));
        QVERIFY(!findText(texts, "Wins!"));

        // A result wider than the view starts at its left edge.
        settings.player1Name = std::string(60, 'x');
        state.scores = {100, 0};
        texts = layoutScoreboard(state, settings, BoardGeometry{8, 50, 12}, 400, fixedWidth);
        QCOMPARE(texts[4].rect.left, 0);

        state.showingAll = true; // the preview draws no scoreboard
        QVERIFY(
            layoutScoreboard(state, settings, BoardGeometry{8, 50, 12}, 800, fixedWidth).empty());
    }
};

QTEST_GUILESS_MAIN(TestScoreboard)
#include "tst_scoreboard.moc"

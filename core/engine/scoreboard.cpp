#include "core/engine/scoreboard.h"

#include "core/engine/game.h"
#include "core/settings/settings.h"

#include <algorithm>
#include <cstdio>

namespace gemino {

namespace {

constexpr int kLineHeight = 30;
constexpr int kSecondLineOffset = 32;
constexpr int kBannerTop = 10;
constexpr int kWinsTop = 57;
constexpr const char* kTie = "Game is a Tie";
constexpr const char* kWins = "Wins!";

// Characters, not bytes, decide which name is longer.
std::size_t characterCount(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

int centered(int clientWidth, int width) {
    return std::max(0, (clientWidth - width) / 2);
}

} // namespace

std::string timeText(const GameState& state) {
    if (!state.timedGame) {
        return {};
    }
    const int minutes = state.elapsedSeconds / 60;
    const int seconds = state.elapsedSeconds % 60;
    char text[32];
    std::snprintf(text, sizeof text, seconds < 10 ? "%d:0%d" : "%d:%d", minutes, seconds);
    return text;
}

int nameColumnWidth(const GameSettings& settings, const MeasureText& measure) {
    const std::string& longer =
        characterCount(settings.player2Name) > characterCount(settings.player1Name)
            ? settings.player2Name
            : settings.player1Name;
    return measure(ScoreFont::Score, longer).width;
}

std::vector<ScoreText> layoutScoreboard(const GameState& state, const GameSettings& settings,
                                        const BoardGeometry& geometry, int clientWidth,
                                        const MeasureText& measure) {
    std::vector<ScoreText> texts;
    if (state.showingAll) {
        return texts;
    }

    const int x0 = ButtonX(geometry, 0);
    const int top = scoreTop(geometry);
    const int w = nameColumnWidth(settings, measure);
    const int nameRight = x0 + 11 * w / 10;
    const int scoreLeft = x0 + 12 * w / 10;
    const bool over = state.gameOver;

    const std::string time = timeText(state);
    const std::string score1 = time.empty() ? std::to_string(state.scores[0])
                                            : std::to_string(state.scores[0]) + "     " + time;

    auto line = [&](const std::string& text, Rect rect, bool toMove) {
        texts.push_back(
            ScoreText{text, rect, ScoreFont::Score, toMove && !over ? kRed : kBlack, kWhite, over});
    };

    line(settings.player1Name, Rect{x0, top, nameRight, top + kLineHeight},
         state.currentPlayer == 0);
    const int score1Width = measure(ScoreFont::Score, score1).width;
    line(score1, Rect{scoreLeft, top, scoreLeft + score1Width, top + kLineHeight},
         state.currentPlayer == 0);

    if (settings.numberPlayers == 2) {
        const int top2 = top + kSecondLineOffset;
        line(settings.player2Name, Rect{x0, top2, nameRight, top2 + kLineHeight},
             state.currentPlayer == 1);
        // The second score keeps the name column's width and is clipped to it.
        line(std::to_string(state.scores[1]),
             Rect{scoreLeft, top2, scoreLeft + (nameRight - x0), top2 + kLineHeight},
             state.currentPlayer == 1);
    }

    if (!over) {
        return texts;
    }

    // A one-player game is always won by the one player shown.
    std::string result = kTie;
    bool winner = true;
    if (settings.numberPlayers == 1 || state.scores[0] > state.scores[1]) {
        result = settings.player1Name;
    } else if (state.scores[1] > state.scores[0]) {
        result = settings.player2Name;
    } else {
        winner = false;
    }

    auto banner = [&](const std::string& text, int y) {
        const TextSize size = measure(ScoreFont::Banner, text);
        const int x = centered(clientWidth, size.width);
        texts.push_back(ScoreText{text, Rect{x, y, x + size.width, y + size.height},
                                  ScoreFont::Banner, kWhite, kBlue, true});
    };
    banner(result, kBannerTop);
    if (winner) {
        banner(kWins, kWinsTop);
    }
    return texts;
}

} // namespace gemino

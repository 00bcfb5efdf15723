#include "core/narration/narrator.h"

#include "core/board/geometry.h"
#include "core/engine/scoreboard.h"
#include "core/settings/settings.h"

#include <algorithm>
#include <utility>

namespace gemino {

namespace {

std::string nameOf(const GameSettings& settings, int player) {
    const std::string& name = player == 0 ? settings.player1Name : settings.player2Name;
    // An empty name is drawn as nothing, but cannot be spoken as nothing.
    return name.empty() ? "Player " + std::to_string(player + 1) : name;
}

std::string points(int score) {
    return std::to_string(score) + (score == 1 ? " point" : " points");
}

// The cells whose pictures are on the screen in a turn: the picks and a flashing pair, which
// counts as uncovered through its flashes.
std::vector<int> openCells(const GameState& state) {
    std::vector<int> cells;
    if (state.showingAll) {
        return cells;
    }
    for (int cell : {state.firstPick, state.secondPick, state.flashFirst, state.flashSecond}) {
        if (cell >= 0 && std::find(cells.begin(), cells.end(), cell) == cells.end()) {
            cells.push_back(cell);
        }
    }
    return cells;
}

bool contains(const std::vector<int>& cells, int cell) {
    return std::find(cells.begin(), cells.end(), cell) != cells.end();
}

// "A", "A and B", "A, B and C".
std::string listOf(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += i + 1 == items.size() ? " and " : ", ";
        }
        out += items[i];
    }
    return out;
}

std::string withoutTrailingStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

CellFace cellFace(const GameState& state, int cell) {
    if (state.showingAll || cell == state.firstPick || cell == state.secondPick ||
        cell == state.flashFirst || cell == state.flashSecond) {
        return CellFace::Uncovered;
    }
    if (state.gameOver || (cell >= 0 && cell < kMaxCells && state.cellMatched[cell])) {
        return CellFace::Removed;
    }
    return CellFace::Covered;
}

std::string cellDescription(const GameState& state, const GameSettings& settings, int cell,
                            const std::string& picture) {
    const std::string shown = picture.empty() ? std::string("unnamed picture") : picture;
    switch (cellFace(state, cell)) {
    case CellFace::Covered:
        return "covered";
    case CellFace::Uncovered:
        return shown;
    case CellFace::Removed:
        return shown + ", found by " + nameOf(settings, state.cellMatcher[cell]);
    }
    return {};
}

std::string scoreboardText(const GameState& state, const GameSettings& settings) {
    std::string text = nameOf(settings, 0) + ": " + points(state.scores[0]) + ".";
    if (settings.numberPlayers == 2) {
        text += " " + nameOf(settings, 1) + ": " + points(state.scores[1]) + ".";
    }
    if (state.gameOver) {
        // The banner's rule: the higher score wins, whoever is playing.
        if (state.scores[0] == state.scores[1]) {
            text += " Game is a Tie.";
        } else {
            text += " " + nameOf(settings, state.scores[0] > state.scores[1] ? 0 : 1) + " Wins!";
        }
    } else if (settings.numberPlayers == 2) {
        text += " " + nameOf(settings, state.currentPlayer) + " to play.";
    }
    if (state.timedGame) {
        text += " Time " + timeText(state) + ".";
    }
    return text;
}

std::string joinNews(const std::vector<News>& news) {
    std::string text;
    for (const News& item : news) {
        if (!text.empty()) {
            text += ' ';
        }
        text += item.text;
    }
    return text;
}

Narrator::Narrator(const GameSettings& settings, std::function<std::string(int image)> describe)
    : settings_(settings), describe_(std::move(describe)) {}

std::string Narrator::label(int cell) const {
    return cellLabel(BoardGeometry{settings_.columns, 0, 0}, cell);
}

std::string Narrator::picture(const GameState& state, int cell) const {
    std::string words = describe_ ? describe_(state.cellImage[cell]) : std::string();
    return words.empty() ? std::string("unnamed picture") : words;
}

std::string Narrator::playerName(int player) const {
    return nameOf(settings_, player);
}

std::vector<News> Narrator::dealt(const GameState& state) {
    last_ = state;
    lastPlayers_ = settings_.numberPlayers;
    const int columns = settings_.columns;
    const std::string lastColumn(1, static_cast<char>('A' + columns - 1));
    std::string text = "New game of " + std::to_string(kRows * columns / 2) + " pairs in " +
                       std::to_string(kRows) + " rows, " +
                       (columns == 1 ? "column A." : "columns A to " + lastColumn + ".");
    if (settings_.numberPlayers == 2) {
        text += " " + playerName(state.currentPlayer) + " to play.";
    }
    if (state.timedGame) {
        text += " Timed game.";
    }
    return {{News::Kind::NewGame, text}};
}

std::vector<News> Narrator::observe(const GameState& now) {
    const GameState prev = std::exchange(last_, now);
    std::vector<News> out;
    const auto add = [&out](News::Kind kind, std::string text) {
        out.push_back({kind, std::move(text)});
    };

    if (settings_.numberPlayers != lastPlayers_) {
        lastPlayers_ = settings_.numberPlayers;
        add(News::Kind::Players,
            lastPlayers_ == 1 ? "One player: " + playerName(0) + "."
                              : "Two players: " + playerName(0) + " and " + playerName(1) + ".");
    }
    if (now.timedGame != prev.timedGame) {
        add(News::Kind::TimedGame, now.timedGame ? "Timed game on." : "Timed game off.");
    }

    const int cells = kRows * settings_.columns;
    if (now.showingAll && !prev.showingAll) {
        std::vector<std::string> all;
        for (int cell = 0; cell < cells; ++cell) {
            all.push_back(label(cell) + " " + withoutTrailingStop(picture(now, cell)));
        }
        std::string text = "All pictures, for 5 seconds: ";
        for (std::size_t i = 0; i < all.size(); ++i) {
            text += all[i] + (i + 1 == all.size() ? "." : "; ");
        }
        add(News::Kind::PreviewStarted, text);
    } else if (!now.showingAll && prev.showingAll) {
        add(News::Kind::PreviewEnded, "The pictures are covered again.");
    }

    // While both halves of a keyboard choice are set the cell is being chosen, and the cell's
    // own news tells it.
    const bool choosing = now.selectedColumn >= 0 && now.selectedRow >= 0;
    const bool wasChoosing = prev.selectedColumn >= 0 && prev.selectedRow >= 0;
    if (!choosing) {
        if (now.selectedColumn >= 0 && now.selectedColumn != prev.selectedColumn) {
            add(News::Kind::ColumnChosen,
                "Column " + std::string(1, static_cast<char>('A' + now.selectedColumn)) + ".");
        }
        if (now.selectedRow >= 0 && now.selectedRow != prev.selectedRow) {
            add(News::Kind::RowChosen, "Row " + std::to_string(now.selectedRow + 1) + ".");
        }
    }

    const std::vector<int> openBefore = openCells(prev);
    const std::vector<int> openNow = openCells(now);
    bool chosen = false;
    for (int cell : openNow) {
        if (!contains(openBefore, cell)) {
            add(News::Kind::Uncovered,
                label(cell) + ": " + withoutTrailingStop(picture(now, cell)) + ".");
            chosen = true;
        }
    }
    if (now.flashFirst >= 0 &&
        (now.flashFirst != prev.flashFirst || now.flashSecond != prev.flashSecond)) {
        add(News::Kind::Match, "A match for " + playerName(now.currentPlayer) + ".");
        chosen = true;
    } else if (now.firstPick >= 0 && now.secondPick >= 0 && now.flashFirst < 0 &&
               !now.cellMatched[now.firstPick] && !now.cellMatched[now.secondPick] &&
               (now.firstPick != prev.firstPick || now.secondPick != prev.secondPick)) {
        add(News::Kind::Mismatch, "No match.");
        chosen = true;
    }

    std::vector<std::string> covered;
    for (int cell : openBefore) {
        if (!contains(openNow, cell) && !now.cellMatched[cell] && !now.showingAll) {
            covered.push_back(label(cell));
        }
    }
    if (!covered.empty()) {
        add(News::Kind::CoveredAgain,
            listOf(covered) + (covered.size() == 1 ? " is" : " are") + " covered again.");
    }

    for (int player = 0; player < 2; ++player) {
        if (now.scores[player] > prev.scores[player]) {
            const int left = static_cast<int>(std::count(now.cellMatched.begin(),
                                                         now.cellMatched.begin() + cells, false)) /
                             2;
            const std::string pairs = left == 0   ? "All pairs found."
                                      : left == 1 ? "1 pair left."
                                                  : std::to_string(left) + " pairs left.";
            add(News::Kind::Scored, playerName(player) + " scores " +
                                        points(now.scores[player] - prev.scores[player]) + ", " +
                                        std::to_string(now.scores[player]) + " in all. " + pairs);
        }
    }
    if (now.currentPlayer != prev.currentPlayer) {
        add(News::Kind::Turn, playerName(now.currentPlayer) + " to play.");
    }

    // A half-made choice dropped without a cell: Esc, or a cell that cannot be chosen.
    if (!choosing && !wasChoosing && now.selectedColumn < 0 && now.selectedRow < 0 &&
        (prev.selectedColumn >= 0 || prev.selectedRow >= 0) && !chosen) {
        add(News::Kind::ChoiceCleared, "No cell chosen.");
    }

    if (now.gameOver && !prev.gameOver) {
        std::string text = "Game over. ";
        if (settings_.numberPlayers == 1 && now.scores[1] == 0) {
            text += playerName(0) + " Wins! " + points(now.scores[0]) + ".";
        } else if (now.scores[0] == now.scores[1]) {
            text += "Game is a Tie, " + std::to_string(now.scores[0]) + " to " +
                    std::to_string(now.scores[1]) + ".";
        } else {
            const int winner = now.scores[0] > now.scores[1] ? 0 : 1;
            text += playerName(winner) + " Wins! " + std::to_string(now.scores[winner]) + " to " +
                    std::to_string(now.scores[1 - winner]) + ".";
        }
        if (now.timedGame) {
            text += " Time " + timeText(now) + ".";
        }
        add(News::Kind::GameOver, text);
    }
    return out;
}

} // namespace gemino

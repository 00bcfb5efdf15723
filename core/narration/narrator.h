#pragma once

#include "core/engine/game.h"

#include <functional>
#include <string>
#include <vector>

namespace gemino {

struct GameSettings;

// What a cell shows: its button, its picture (picked, flashing or previewed), or nothing
// (its pair has been found, or the game is over).
enum class CellFace { Covered, Uncovered, Removed };

CellFace cellFace(const GameState& state, int cell);

// A cell in words for a player who cannot see it: "covered", what its picture shows while it is
// uncovered, and what it showed and who found it once removed ("heart, found by Ann").
// `picture` is the description of the cell's image.
std::string cellDescription(const GameState& state, const GameSettings& settings, int cell,
                            const std::string& picture);

// The scoreboard as one line: names and scores, whose turn it is or the result, and the time
// of a timed game.
std::string scoreboardText(const GameState& state, const GameSettings& settings);

// One thing that happened, as a player who cannot see the board is told it.
struct News {
    enum class Kind {
        NewGame,
        Players,
        TimedGame,
        ColumnChosen,
        RowChosen,
        ChoiceCleared,
        Uncovered,
        Match,
        Mismatch,
        CoveredAgain,
        Scored,
        Turn,
        PreviewStarted,
        PreviewEnded,
        GameOver,
    };
    Kind kind;
    std::string text;
};

// Joins the texts of `news` into one announcement.
std::string joinNews(const std::vector<News>& news);

// Tells a game as it goes, from what the engine does to its state: each look at the state is
// compared with the one before. Looks are taken before every wait of the engine and after
// every operation, so a turn is told while its pictures are still on the screen; the flashes
// of a found pair tell nothing.
class Narrator {
public:
    // `describe` gives the words for an image id of the deal ("heart").
    Narrator(const GameSettings& settings, std::function<std::string(int image)> describe);

    // A fresh deal: the previous game is forgotten.
    std::vector<News> dealt(const GameState& state);
    // Everything that changed since the last look, in the order it is told.
    std::vector<News> observe(const GameState& state);

private:
    std::string label(int cell) const;
    std::string picture(const GameState& state, int cell) const;
    std::string playerName(int player) const;

    const GameSettings& settings_;
    std::function<std::string(int)> describe_;
    GameState last_;
    int lastPlayers_ = 0;
};

} // namespace gemino

#pragma once

#include "core/board/geometry.h"

#include <functional>
#include <string>
#include <vector>

namespace gemino {

struct GameSettings;
struct GameState;

enum class ScoreFont { Score, Banner }; // "Comic Sans MS" 18 px and 32 px

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlue{0, 0, 255};

struct TextSize {
    int width = 0;
    int height = 0;
};
using MeasureText = std::function<TextSize(ScoreFont, const std::string&)>;

// One text of the scoreboard: drawn on one line, left-aligned, centred vertically in `rect`
// and clipped to it; on `background` when `opaque`.
struct ScoreText {
    std::string text;
    Rect rect;
    ScoreFont font = ScoreFont::Score;
    Rgb color;
    Rgb background;
    bool opaque = false;
};

// "m:ss" of the clock; empty when the game is not timed.
std::string timeText(const GameState& state);
// The width W of the name column: the longer name (in characters), player 1's on a tie.
int nameColumnWidth(const GameSettings& settings, const MeasureText& measure);
// Every text of the scoreboard and, at the end of the game, of the result banner, in
// painting order. Empty during the preview.
std::vector<ScoreText> layoutScoreboard(const GameState& state, const GameSettings& settings,
                                        const BoardGeometry& geometry, int clientWidth,
                                        const MeasureText& measure);

} // namespace gemino

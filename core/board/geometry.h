#pragma once

#include <array>
#include <string>

namespace gemino {

// The board's fixed shape: always 4 rows, at most 10 columns, so at most 20 pairs of images.
inline constexpr int kRows = 4;
inline constexpr int kMaxColumns = 10;
inline constexpr int kMaxCells = kRows * kMaxColumns;
inline constexpr int kMaxImages = kMaxCells / 2;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Where the cells lie: a grid of square buttons in 4 rows, 10 pixels from the left and top.
struct BoardGeometry {
    static constexpr int kMargin = 10;
    int columns = 1;
    int buttonSize = 0;
    int buttonSpacing = 0;
};

int ButtonX(const BoardGeometry& g, int cell);
int ButtonY(const BoardGeometry& g, int cell);
// "A-1" to "J-4": column letter, hyphen, row digit.
std::string cellLabel(const BoardGeometry& g, int cell);
// The cell's square, and the text band below it reaching one cell to either side.
std::array<Rect, 2> cellRepaintRects(const BoardGeometry& g, int cell);
// Top of the scoreboard band, one spacing below the last row.
int scoreTop(const BoardGeometry& g);
// Where an image text of the given size sits: centred under the cell, from its bottom edge.
Rect cellTextRect(const BoardGeometry& g, int cell, int textWidth, int textHeight);

// What "Maximize Button Size" needs to know of the window, in pixels.
struct WindowMetrics {
    int edgeX = 2;   // width of a 3-D edge
    int edgeY = 2;   // height of a 3-D edge
    int caption = 0; // height of the caption
    int menu = 0;    // height of one menu bar line
    int windowWidth = 0;
    int windowHeight = 0;
};

// The largest button size that fits the window, as the command computes it (unclamped).
int MaximizeButtonSize(const WindowMetrics& m, int columns, int buttonSpacing);

} // namespace gemino

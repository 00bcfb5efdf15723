#include "core/board/geometry.h"

#include <algorithm>
#include <cmath>

namespace gemino {

namespace {

int pitch(const BoardGeometry& g) {
    return g.buttonSize + g.buttonSpacing;
}

} // namespace

int ButtonX(const BoardGeometry& g, int cell) {
    return (cell % g.columns) * pitch(g) + BoardGeometry::kMargin;
}

int ButtonY(const BoardGeometry& g, int cell) {
    return (cell / g.columns) * pitch(g) + BoardGeometry::kMargin;
}

std::string cellLabel(const BoardGeometry& g, int cell) {
    static constexpr char kColumns[] = "ABCDEFGHIJ";
    static constexpr char kRowDigits[] = "1234";
    return {kColumns[cell % g.columns], '-', kRowDigits[cell / g.columns]};
}

std::array<Rect, 2> cellRepaintRects(const BoardGeometry& g, int cell) {
    const int x = ButtonX(g, cell);
    const int y = ButtonY(g, cell);
    const int s = g.buttonSize;
    const int gap = g.buttonSpacing;
    // An image text is centred under its image and may be wider than it, so the band reaches
    // one cell to either side.
    return {Rect{x, y, x + s, y + s},
            Rect{std::max(0, x - gap - s), y + s, x + gap + 2 * s, y + s + gap}};
}

int scoreTop(const BoardGeometry& g) {
    return ButtonY(g, (kRows - 1) * g.columns) + g.buttonSpacing + g.buttonSize;
}

Rect cellTextRect(const BoardGeometry& g, int cell, int textWidth, int textHeight) {
    const int x = ButtonX(g, cell);
    const int y = ButtonY(g, cell);
    const int left = x + (g.buttonSize - textWidth) / 2;
    const int top = y + g.buttonSize;
    return Rect{left, top, left + textWidth, top + textHeight};
}

int MaximizeButtonSize(const WindowMetrics& m, int columns, int buttonSpacing) {
    const int availW = m.windowWidth - 3 * m.edgeX - 2;
    const int availH = m.windowHeight - 3 * m.edgeY - 2;
    // A narrow board is sized as if it had four columns, so it never grows taller than that.
    const int c = std::max(columns, 4);
    const int usedW = (c - 1) * buttonSpacing + 2 * (3 * m.edgeX + 10);
    const int usedH = 3 * m.menu + kRows * buttonSpacing + m.caption + 2 * (10 + 2 * m.edgeY + 32);
    const double sizeW = static_cast<double>(availW - usedW) / c;
    const double sizeH = static_cast<double>(availH - usedH) / kRows;
    return static_cast<int>(std::trunc(std::min(sizeW, sizeH)));
}

} // namespace gemino

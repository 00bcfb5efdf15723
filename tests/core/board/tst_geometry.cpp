#include "core/board/geometry.h"

#include <QTest>

using namespace gemino;

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"

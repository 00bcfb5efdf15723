#include "core/board/geometry.h"

#include <QTest>

using namespace gemino;

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void cellsLabelsAndRepaintAreas() {
        BoardGeometry g{8, 50, 12};
        const struct {
            int cell, x, y;
            const char* label;
        } cells[] = {{0, 10, 10, "A-1"}, {9, 72, 72, "B-2"}, {31, 444, 196, "H-4"}};
        for (const auto& c : cells) {
            QCOMPARE(ButtonX(g, c.cell), c.x);
            QCOMPARE(ButtonY(g, c.cell), c.y);
            QCOMPARE(cellLabel(g, c.cell), std::string(c.label));
        }
        QCOMPARE(cellRepaintRects(g, 9)[0], (Rect{72, 72, 122, 122}));
        QCOMPARE(cellRepaintRects(g, 9)[1], (Rect{10, 122, 184, 134}));
        QCOMPARE(cellRepaintRects(g, 8)[1].left, 0); // never left of the window
        // An image text is centred under its cell, reaching equally to both sides.
        QCOMPARE(cellTextRect(g, 1, 90, 12), (Rect{52, 60, 142, 72}));
        g.columns = 1;
        QCOMPARE(cellLabel(g, 3), std::string("A-4"));
        QCOMPARE(ButtonX(g, 3), 10);
        g.columns = 10;
        QCOMPARE(cellLabel(g, 39), std::string("J-4"));
    }

    void maximizeFillsTheWindow_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expected");
        // availW = W - 8, usedW = (c-1)*12 + 32; availH = H - 8, usedH = 3*20 + 48 + 19 + 2*46
        QTest::newRow("wide window, height decides") << 8 << 2000 << 700 << (692 - 219) / 4;
        QTest::newRow("narrow window, width decides") << 8 << 600 << 2000 << (592 - 116) / 8;
        QTest::newRow("one column counts as four") << 1 << 600 << 2000 << (592 - 68) / 4;
        QTest::newRow("ten columns") << 10 << 1000 << 2000 << (992 - 140) / 10;
        QTest::newRow("tiny window goes negative") << 8 << 100 << 100 << -31;
    }
    void maximizeFillsTheWindow() {
        QFETCH(int, columns);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, expected);
        WindowMetrics m;
        m.edgeX = m.edgeY = 2;
        m.caption = 19;
        m.menu = 20;
        m.windowWidth = width;
        m.windowHeight = height;
        QCOMPARE(MaximizeButtonSize(m, columns, 12), expected);
    }
};

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"

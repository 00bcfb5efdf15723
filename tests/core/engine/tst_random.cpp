#include "core/engine/random.h"

#include <QTest>

#include <map>

using gemino::Random;

class TestRandom : public QObject {
    Q_OBJECT
private slots:
    void drawsFromStateOneMatchCheckValues() {
        Random random;
        random.setState(1);
        for (int value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358})
            QCOMPARE(random.draw(), value);
        random.setState(1);
        for (int value : {1, 11, 3, 16, 11, 9, 6, 18})
            QCOMPARE(random.RandomFrom1To(20), value);
    }

    // Over all 32768 draws: 2 only from 24576 up; 1 three times as often as each other value;
    // always within 1 to n.
    void scaledDrawsFavourOne() {
        std::map<int, int> twenty;
        for (int r = 0; r < 32768; ++r) {
            QCOMPARE(Random::scale(r, 2) == 2, r >= 24576);
            QCOMPARE(Random::scale(r, 1), 1);
            ++twenty[Random::scale(r, 20)];
            for (int n : {3, 19, 40}) {
                const int v = Random::scale(r, n);
                QVERIFY(v >= 1 && v <= n);
            }
        }
        QCOMPARE(twenty.size(), std::size_t(20));
        QCOMPARE(twenty[1], 4469);
        for (int v = 2; v <= 20; ++v)
            QVERIFY2(twenty[v] == 1489 || twenty[v] == 1490, qPrintable(QString::number(v)));
    }

    void seedsOnceFromTheClockUnlessAStateWasSet() {
        int calls = 0;
        Random random([&calls] {
            ++calls;
            return 1u;
        });
        QCOMPARE(random.draw(), 41);
        QCOMPARE(random.draw(), 18467);
        QCOMPARE(calls, 1);
        Random set([&calls] { return 99u + calls++; });
        set.setState(1);
        QCOMPARE(set.draw(), 41);
        QCOMPARE(calls, 1);
    }
};

QTEST_GUILESS_MAIN(TestRandom)
#include "tst_random.moc"

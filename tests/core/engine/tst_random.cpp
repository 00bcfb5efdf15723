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
        const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
        for (int value : expected) {
            QCOMPARE(random.draw(), value);
        }
    }

    void randomFrom1To20FromStateOne() {
        Random random;
        random.setState(1);
        const int expected[] = {1, 11, 3, 16, 11, 9, 6, 18};
        for (int value : expected) {
            QCOMPARE(random.RandomFrom1To(20), value);
        }
    }

    void twoIsDrawnForTheTopQuarterOnly() {
        int twos = 0;
        for (int r = 0; r < 32768; ++r) {
            const int v = Random::scale(r, 2);
            QCOMPARE(v == 2, r >= 24576);
            twos += v == 2;
        }
        QCOMPARE(twos, 8192);
    }

    void twentyFavoursOneThreeToOne() {
        std::map<int, int> counts;
        for (int r = 0; r < 32768; ++r) {
            ++counts[Random::scale(r, 20)];
        }
        QCOMPARE(counts.size(), std::size_t(20));
        QCOMPARE(counts[1], 4469);
        for (int v = 2; v <= 20; ++v) {
            QVERIFY2(counts[v] == 1489 || counts[v] == 1490, qPrintable(QString::number(v)));
        }
    }

    void resultsStayWithinOneToN() {
        for (int n = 1; n <= 40; ++n) {
            for (int r : {0, 1, 2, 16383, 32766, 32767}) {
                const int v = Random::scale(r, n);
                QVERIFY(v >= 1 && v <= n);
                QVERIFY(n > 1 || v == 1);
            }
        }
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

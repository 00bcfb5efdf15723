#include "core/records/records.h"
#include "core/settings/memorysettingsstore.h"
#include "core/settings/settings.h"

#include <QTest>

using namespace gemino;

class TestRecordBook : public QObject {
    Q_OBJECT
private slots:
    void gameAgainstRecord_data() {
        QTest::addColumn<int>("misses");
        QTest::addColumn<bool>("timed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("result"); // "fewer misses? faster? record after"
        // Against a record of 3 misses in 60 seconds.
        QTest::newRow("fewer misses") << 2 << false << 0 << "1 0 2/60";
        QTest::newRow("equal is no record") << 3 << true << 60 << "0 0 3/60";
        QTest::newRow("faster, more misses") << 5 << true << 59 << "0 1 3/59";
        QTest::newRow("untimed never beats a time") << 5 << false << 1 << "0 0 3/60";
    }
    void gameAgainstRecord() {
        QFETCH(int, misses);
        QFETCH(bool, timed);
        QFETCH(int, seconds);
        const RecordUpdate u = compareWithRecord({3, 60}, {misses, timed, seconds});
        QTEST(QString("%1 %2 %3/%4")
                  .arg(u.fewerMisses)
                  .arg(u.fasterTime)
                  .arg(u.record.fewestMisses)
                  .arg(u.record.bestSeconds),
              "result");
        // A first untimed game sets the misses and leaves the time open.
        QCOMPARE(compareWithRecord({}, {4, false, 0}).record, (BoardRecord{4, -1}));
    }

    // Games with two players for a while are played through the window in tst_records.
    void onlyGamesOnePlayerFromDealToEndCount() {
        GameTally tally;
        tally.dealt(1);
        tally.missed();
        tally.playersSet(1); // chosen again: still one player
        const auto game = tally.finished(true, 42);
        QVERIFY(game && game->misses == 1 && game->timed && game->seconds == 42);
        QVERIFY2(!tally.finished(true, 42), "a game is submitted once");
    }

    // A separator in a name would make a group of it in the settings file.
    void anyPathIsAKeyWithoutSeparators() {
        const std::string path = "C:\\Games/100% sure/zo\u00EB/\u2603=[x];#a b.c.ims";
        MemorySettingsStore store;
        RecordBook book(store);
        QVERIFY(book.submit({path, 5}, {3, false, 0}).fewerMisses);
        for (const auto& [name, value] : store.values()) {
            QVERIFY2(name.find_first_of("/\\") == std::string::npos, name.c_str());
        }
        const auto all = book.all();
        QCOMPARE(all.size(), std::size_t(1));
        QCOMPARE(all[0].first, (BoardKey{path, 5}));
        QCOMPARE(all[0].second.fewestMisses, 3);
    }

    void recordsAreStoredUnderReadableNamesOnlyWhenBetter() {
        MemorySettingsStore store;
        RecordBook book(store);
        QVERIFY(book.submit({"misc", 8}, {5, true, 95}).improved());
        QCOMPARE(store.ReadInt("misc.8.Misses", -1), 5);
        QCOMPARE(store.ReadInt("misc.8.Seconds", -1), 95);
        const int writes = store.writeCount();
        QVERIFY(!book.submit({"misc", 8}, {6, true, 100}).improved());
        QCOMPARE(store.writeCount(), writes);

        book.submit({"/sets/a.ims", 3}, {1, false, 0});
        QCOMPARE(store.ReadInt("file-%2Fsets%2Fa%2Eims.3.Misses", -1), 1);
        QCOMPARE(store.ReadString("Boards", ""), std::string("misc.8 file-%2Fsets%2Fa%2Eims.3"));
        for (const BoardKey& key : {BoardKey{"misc", 2}, BoardKey{"computer", 10},
                                    BoardKey{"/a.icl", 9}, BoardKey{"flags", 4}}) {
            book.submit(key, {1, false, 0});
        }
        // Standard sets in menu order, then custom sets by path; each by its columns.
        QStringList order;
        for (const auto& [key, record] : book.all()) {
            order << QString::fromStdString(imageSetTitle(key)) + " " +
                         QString::number(key.columns);
        }
        QCOMPARE(order, QStringList({"Computer 10", "Flags 4", "Miscellaneous 2", "Miscellaneous 8",
                                     "a.icl 9", "a.ims 3"}));
        book.clear();
        QVERIFY(book.all().empty());
        QVERIFY2(store.values().empty(), "clearing leaves nothing behind");
    }

    void damagedStoreReadsAsNoRecord() {
        MemorySettingsStore store;
        store.WriteString("Boards", "misc.8  misc.8 bogus.3 misc.11 file-%2f.2 file-misc.2 "
                                    "traffic.4 misc.08 " +
                                        std::string(20000, 'a') + ".1 computer.1");
        store.WriteInt("misc.8.Misses", -7);
        store.WriteInt("misc.8.Seconds", 30);
        store.WriteString("traffic.4.Misses", "three");
        store.WriteInt("computer.1.Misses", 2);
        store.WriteInt("misc.08.Misses", 1);
        RecordBook book(store);
        QStringList listed;
        for (const auto& [key, record] : book.all()) {
            listed << QString("%1=%2/%3")
                          .arg(QString::fromStdString(RecordBook::boardName(key)))
                          .arg(record.fewestMisses)
                          .arg(record.bestSeconds);
        }
        QCOMPARE(listed, QStringList({"computer.1=2/-1", "misc.8=-1/30"}));
        QVERIFY(book.submit({"misc", 8}, {12, false, 0}).fewerMisses);
    }

    void boardsAndMessages() {
        GameSettings settings;
        settings.standardSetName = "Flags";
        settings.columns = 4;
        QCOMPARE(boardKeyOf(settings), (BoardKey{"flags", 4}));
        settings.customSetPath = "C:\\sets\\birds.ims";
        QCOMPARE(boardKeyOf(settings), (BoardKey{"C:\\sets\\birds.ims", 4}));

        RecordUpdate update{true, true, {2, 65}};
        QCOMPARE(newRecordMessage({"misc", 1}, update),
                 std::string("New record on Miscellaneous, 1 column: 2 misses, best time 1:05."));
        QCOMPARE(newRecordMessage({"misc", 1}, {}), std::string());
        QCOMPARE(formatMisses(0) + ", " + formatMisses(1), std::string("no misses, 1 miss"));
    }
};

QTEST_APPLESS_MAIN(TestRecordBook)
#include "tst_recordbook.moc"

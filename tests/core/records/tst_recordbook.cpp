#include "core/records/records.h"
#include "core/settings/memorysettingsstore.h"
#include "core/settings/settings.h"

#include <QTest>

#include <string>

using namespace gemino;

namespace {

std::string stored(const MemorySettingsStore& store, const std::string& name) {
    const auto it = store.values().find(name);
    if (it == store.values().end()) {
        return "missing";
    }
    if (const int* value = std::get_if<int>(&it->second)) {
        return std::to_string(*value);
    }
    return std::get<std::string>(it->second);
}

} // namespace

class TestRecordBook : public QObject {
    Q_OBJECT
private slots:
    void gameAgainstRecord_data() {
        QTest::addColumn<int>("recordMisses");
        QTest::addColumn<int>("recordSeconds");
        QTest::addColumn<int>("misses");
        QTest::addColumn<bool>("timed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("fewerMisses");
        QTest::addColumn<bool>("fasterTime");
        QTest::addColumn<int>("newMisses");
        QTest::addColumn<int>("newSeconds");
        // A first game sets what it can: an untimed one leaves the time open.
        QTest::newRow("first untimed") << -1 << -1 << 4 << false << 0 << true << false << 4 << -1;
        QTest::newRow("first timed") << -1 << -1 << 4 << true << 70 << true << true << 4 << 70;
        QTest::newRow("fewer misses") << 3 << 60 << 2 << false << 0 << true << false << 2 << 60;
        QTest::newRow("equal is no record")
            << 3 << 60 << 3 << true << 60 << false << false << 3 << 60;
        QTest::newRow("faster, more misses")
            << 3 << 60 << 5 << true << 59 << false << true << 3 << 59;
        QTest::newRow("untimed never beats a time")
            << 3 << 60 << 5 << false << 1 << false << false << 3 << 60;
        QTest::newRow("no misses at all") << 1 << -1 << 0 << false << 0 << true << false << 0 << -1;
    }
    void gameAgainstRecord() {
        QFETCH(int, recordMisses);
        QFETCH(int, recordSeconds);
        QFETCH(int, misses);
        QFETCH(bool, timed);
        QFETCH(int, seconds);
        const RecordUpdate update =
            compareWithRecord({recordMisses, recordSeconds}, {misses, timed, seconds});
        QTEST(update.fewerMisses, "fewerMisses");
        QTEST(update.fasterTime, "fasterTime");
        QTEST(update.record.fewestMisses, "newMisses");
        QTEST(update.record.bestSeconds, "newSeconds");
    }

    void onlyGamesOnePlayerFromDealToEndCount() {
        GameTally tally;
        tally.dealt(1);
        tally.missed();
        tally.missed();
        tally.playersSet(1); // chosen again: still one player
        auto game = tally.finished(true, 42);
        QVERIFY(game.has_value());
        QCOMPARE(game->misses, 2);
        QVERIFY(game->timed);
        QCOMPARE(game->seconds, 42);
        QVERIFY2(!tally.finished(true, 42), "a game is submitted once");

        tally.dealt(1);
        QCOMPARE(tally.misses(), 0);
        tally.playersSet(2);
        tally.playersSet(1);
        QVERIFY2(!tally.finished(false, 0), "two players for a while");

        tally.dealt(2);
        tally.playersSet(1);
        QVERIFY2(!tally.finished(false, 0), "dealt for two");
    }

    void anyPathIsAKeyWithoutSeparators_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("unix") << "/home/ann/sets/birds.ims";
        QTest::newRow("windows") << "C:\\Games\\Gemino\\animals.ims";
        QTest::newRow("percent and spaces") << "/tmp/100% sure/a b.icl";
        QTest::newRow("dots") << "../..//x.y.z";
        QTest::newRow("unicode") << QString::fromUtf8("/home/zoë/Ünïcode ☃.ims");
        QTest::newRow("equals and semicolons") << "/a=b;c,d[e]#f";
    }
    void anyPathIsAKeyWithoutSeparators() {
        QFETCH(QString, text);
        const std::string path = text.toStdString();
        const std::string encoded = encodeKeyText(path);
        QVERIFY(encoded.find_first_of("/\\. ") == std::string::npos);
        QCOMPARE(decodeKeyText(encoded).value_or("(none)"), path);

        MemorySettingsStore store;
        RecordBook book(store);
        const BoardKey key{path, 5};
        QVERIFY(book.submit(key, {3, false, 0}).fewerMisses);
        for (const auto& [name, value] : store.values()) {
            QVERIFY2(name.find_first_of("/\\") == std::string::npos, name.c_str());
        }
        const auto all = book.all();
        QCOMPARE(all.size(), std::size_t(1));
        QCOMPARE(all[0].first.imageSet, path);
        QCOMPARE(all[0].first.columns, 5);
        QCOMPARE(all[0].second.fewestMisses, 3);
    }

    void encodedTextsHaveOneSpelling_data() {
        QTest::addColumn<QString>("encoded");
        QTest::newRow("lower-case hex") << "%2fhome";
        QTest::newRow("cut short") << "abc%2";
        QTest::newRow("not hex") << "%G0";
        QTest::newRow("a plain letter encoded") << "%41";
        QTest::newRow("raw slash") << "a/b";
        QTest::newRow("raw dot") << "a.b";
    }
    void encodedTextsHaveOneSpelling() {
        QFETCH(QString, encoded);
        QVERIFY(!decodeKeyText(encoded.toStdString()).has_value());
    }

    void recordsAreStoredUnderReadableNamesAndOnlyWhenBetter() {
        MemorySettingsStore store;
        RecordBook book(store);
        const BoardKey misc8{"misc", 8};
        QVERIFY(book.submit(misc8, {5, true, 95}).improved());
        QCOMPARE(stored(store, "misc.8.Misses"), std::string("5"));
        QCOMPARE(stored(store, "misc.8.Seconds"), std::string("95"));
        QCOMPARE(stored(store, "Boards"), std::string("misc.8"));

        const int writes = store.writeCount();
        QVERIFY(!book.submit(misc8, {6, true, 100}).improved());
        QCOMPARE(store.writeCount(), writes);

        const RecordUpdate better = book.submit(misc8, {4, false, 0});
        QVERIFY(better.fewerMisses && !better.fasterTime);
        QCOMPARE(book.find(misc8), (BoardRecord{4, 95}));

        book.submit({"/sets/a.ims", 3}, {1, false, 0});
        QCOMPARE(stored(store, "file-%2Fsets%2Fa%2Eims.3.Misses"), std::string("1"));
        QCOMPARE(stored(store, "Boards"), std::string("misc.8 file-%2Fsets%2Fa%2Eims.3"));
        QCOMPARE(book.find({"misc", 7}), BoardRecord{});
    }

    void tableListsStandardSetsInMenuOrderThenCustomSets() {
        MemorySettingsStore store;
        RecordBook book(store);
        for (const BoardKey& key :
             {BoardKey{"/z.ims", 2}, BoardKey{"misc", 8}, BoardKey{"misc", 2}, BoardKey{"flags", 4},
              BoardKey{"/a.icl", 9}, BoardKey{"computer", 10}}) {
            book.submit(key, {1, false, 0});
        }
        QStringList order;
        for (const auto& [key, record] : book.all()) {
            order << QString::fromStdString(imageSetTitle(key)) + " " +
                         QString::number(key.columns);
        }
        QCOMPARE(order, QStringList({"Computer 10", "Flags 4", "Miscellaneous 2", "Miscellaneous 8",
                                     "a.icl 9", "z.ims 2"}));

        book.clear();
        QVERIFY(book.all().empty());
        QVERIFY2(store.values().empty(), "clearing leaves nothing behind");
        QVERIFY(book.submit({"misc", 8}, {9, false, 0}).fewerMisses);
    }

    void damagedStoreReadsAsNoRecord() {
        MemorySettingsStore store;
        store.WriteString("Boards", "misc.8  misc.8 bogus.3 misc.11 file-%2f.2 file-misc.2 "
                                    "traffic.4 misc.08 flags.x " +
                                        std::string(20000, 'a') + ".1 computer.1");
        store.WriteInt("misc.8.Misses", -7);
        store.WriteInt("misc.8.Seconds", 30);
        store.WriteString("traffic.4.Misses", "three");
        store.WriteInt("computer.1.Misses", 2);
        store.WriteInt("misc.08.Misses", 1);
        RecordBook book(store);
        QStringList listed;
        for (const auto& [key, record] : book.all()) {
            listed << QString::fromStdString(RecordBook::boardName(key)) + "=" +
                          QString::number(record.fewestMisses) + "/" +
                          QString::number(record.bestSeconds);
        }
        QCOMPARE(listed, QStringList({"computer.1=2/-1", "misc.8=-1/30"}));
        QVERIFY(book.submit({"misc", 8}, {12, false, 0}).fewerMisses);
    }

    void boardOfTheSettingsAndTheNewsOfARecord() {
        GameSettings settings;
        settings.standardSetName = "Flags";
        settings.columns = 4;
        QCOMPARE(boardKeyOf(settings), (BoardKey{"flags", 4}));
        settings.standardSetName.clear();
        settings.customSetPath = "C:\\sets\\birds.ims";
        QCOMPARE(boardKeyOf(settings), (BoardKey{"C:\\sets\\birds.ims", 4}));
        QCOMPARE(imageSetTitle(boardKeyOf(settings)), std::string("birds.ims"));

        RecordUpdate update;
        QCOMPARE(newRecordMessage({"flags", 4}, update), std::string());
        update.fewerMisses = true;
        update.record = {2, 65};
        QCOMPARE(newRecordMessage({"flags", 4}, update),
                 std::string("New record on Flags, 4 columns: 2 misses."));
        update.fasterTime = true;
        QCOMPARE(newRecordMessage({"misc", 1}, update),
                 std::string("New record on Miscellaneous, 1 column: 2 misses, best time 1:05."));
        update.fewerMisses = false;
        update.record = {0, 605};
        QCOMPARE(newRecordMessage({"/x/y.icl", 10}, update),
                 std::string("New record on y.icl, 10 columns: best time 10:05."));
        QCOMPARE(formatMisses(0), std::string("no misses"));
        QCOMPARE(formatMisses(1), std::string("1 miss"));
        QCOMPARE(formatSeconds(59), std::string("0:59"));
    }
};

QTEST_APPLESS_MAIN(TestRecordBook)
#include "tst_recordbook.moc"

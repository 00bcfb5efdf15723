#include "app/memorysettingsstore.h"
#include "app/qsettingsstore.h"
#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <memory>

using namespace gemino;

namespace {

enum class Kind { Memory, Ini };

// Every case runs against the memory store and against an INI file.
template <typename... Values> void AddRow(const QString& tag, const Values&... values) {
    for (Kind kind : {Kind::Memory, Kind::Ini})
        ((QTest::addRow("%s: %s", kind == Kind::Memory ? "memory" : "ini", qPrintable(tag)) << kind)
         << ... << values);
}

// The loaded record as "stored name=value; ...", booleans as 1 and 0.
QString Fields(const GameSettings& s) {
    return QString::asprintf(
        "Standard Image Set=%s; Custom Image Set=%s; Number Players=%d; Display Matcher Name=%d; "
        "Display Image Text=%d; Highlight Matched Images=%d; Unmatched Image Display Time=%d; "
        "Number Flashes of Matched Images=%d; Player 1 Name=%s; Player 2 Name=%s; "
        "Number Columns=%d; Button Size=%d; Button Spacing=%d; Play Sounds=%d; start-up=%s",
        s.standardSetName.c_str(), s.customSetPath.c_str(), s.numberPlayers, s.displayMatcherName,
        s.displayImageText, s.highlightMatchedImages, s.unmatchedDisplayTime, s.matchFlashes,
        s.player1Name.c_str(), s.player2Name.c_str(), s.columns, s.buttonSize, s.buttonSpacing,
        s.playSounds, s.startupDirectory.c_str());
}

const QString kDefaults =
    "Standard Image Set=misc; Custom Image Set=; Number Players=2; Display Matcher Name=1; "
    "Display Image Text=1; Highlight Matched Images=1; Unmatched Image Display Time=1500; "
    "Number Flashes of Matched Images=3; Player 1 Name=Player 1; Player 2 Name=Player 2; "
    "Number Columns=8; Button Size=50; Button Spacing=12; Play Sounds=1; start-up=/start";

// Every field off its default, so that a field the loader forgets shows.
GameSettings Loaded(const SettingsStore& store) {
    GameSettings s{"x", "x", 0, false, false, false, 0, 0, "x", "x", 0, 0, 0, false, "x"};
    LoadSettings(s, store, "/start");
    return s;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int files_ = 0;

    std::unique_ptr<SettingsStore> MakeStore(Kind kind) {
        if (kind == Kind::Memory)
            return std::make_unique<MemorySettingsStore>();
        return std::make_unique<QSettingsStore>(dir_.filePath(QString("%1.ini").arg(++files_)));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
        QFile cards(dir_.filePath("Cards.ims"));
        QVERIFY(cards.open(QIODevice::WriteOnly));
        // Relative custom set paths are looked up from here.
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    // One stored value (an int, a bool, a string, or none at all) and the field it loads as;
    // every other field keeps its default.
    void load_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("loaded");
        AddRow("empty store", QString(), QVariant(), QString());
        struct Range {
            const char* name;
            int lowest;
            int highest;
            int fallback;
        };
        // Out of range means the default, never the nearer bound.
        for (const Range& r :
             {Range{"Number Players", 1, 2, 2},
              Range{"Unmatched Image Display Time", 1, 5000, 1500},
              Range{"Number Flashes of Matched Images", 1, 7, 3}, Range{"Number Columns", 1, 10, 8},
              Range{"Button Size", 32, 200, 50}, Range{"Button Spacing", 1, 40, 12}}) {
            for (int v : {r.lowest, r.highest, r.lowest - 1, r.highest + 1, INT_MIN, INT_MAX}) {
                const bool in = v >= r.lowest && v <= r.highest;
                AddRow(QString("%1 %2").arg(r.name).arg(v), QString(r.name), QVariant(v),
                       QString::number(in ? v : r.fallback));
            }
        }
        // The Board Layout dialog can store spacings up to 50.
        AddRow("spacing 50", QString("Button Spacing"), QVariant(50), QString("12"));
        // Only a stored 1 is true.
        for (const char* name : {"Display Matcher Name", "Display Image Text",
                                 "Highlight Matched Images", "Play Sounds"}) {
            for (int v : {1, 0, 2, -1})
                AddRow(QString("%1 %2").arg(name).arg(v), QString(name), QVariant(v),
                       QString::number(v == 1));
            for (bool b : {true, false})
                AddRow(QString("%1 written %2").arg(name).arg(b), QString(name), QVariant(b),
                       QString::number(b));
        }
        // Strings are taken as they are, the empty name included.
        AddRow("empty name", QString("Player 1 Name"), QVariant(""), QString(""));
        const QString odd = QString::fromUtf8("  Zoë, \"Åsa\" @x=[y];#z\\ ");
        AddRow("odd name", QString("Player 2 Name"), QVariant(odd), odd);
        AddRow("standard set", QString("Standard Image Set"), QVariant("flags"), QString("flags"));
        // Text where a number belongs reads as the default.
        for (const char* text : {"abc", "64abc", "0x40", "64.5", "", "4294967346"})
            AddRow(QString("size '%1'").arg(text), QString("Button Size"), QVariant(text),
                   QString("50"));
        AddRow("sounds '0abc'", QString("Play Sounds"), QVariant("0abc"), QString("1"));
    }
    void load() {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(QVariant, stored);
        QFETCH(QString, loaded);
        const auto store = MakeStore(kind);
        const std::string key = name.toStdString();
        if (stored.typeId() == QMetaType::Bool)
            store->WriteBool(key, stored.toBool());
        else if (stored.typeId() == QMetaType::Int)
            store->WriteInt(key, stored.toInt());
        else if (stored.isValid())
            store->WriteString(key, stored.toString().toStdString());
        QStringList expected = kDefaults.split("; ");
        for (QString& field : expected) {
            if (field.startsWith(name + '='))
                field = name + '=' + loaded;
        }
        QCOMPARE(Fields(Loaded(*store)), expected.join("; "));
    }

    // A custom set is checked only while no standard set is named; a missing one falls back
    // to "misc" for this run only (the loader cannot write to the store).
    void customSetCheck_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<bool>("kept");
        AddRow("deleted file", QString(), QString("@/Lost.ims"), false);
        AddRow("deleted file, standard set named", QString("flags"), QString("@/Lost.ims"), true);
        AddRow("existing file", QString(), QString("@/Cards.ims"), true);
        AddRow("relative existing file", QString(), QString("Cards.ims"), true);
        AddRow("relative deleted file", QString(), QString("Lost.ims"), false);
        AddRow("wildcard matching", QString(), QString("@/C?rds.*"), true);
        AddRow("wildcard matching nothing", QString(), QString("@/*.icl"), false);
        AddRow("nothing chosen", QString(), QString(), true);
    }
    void customSetCheck() {
        QFETCH(Kind, kind);
        QFETCH(QString, standard);
        QFETCH(QString, custom);
        QFETCH(bool, kept);
        const std::string path = custom.replace('@', dir_.path()).toStdString();
        const auto store = MakeStore(kind);
        store->WriteString(key::StandardImageSet, standard.toStdString());
        store->WriteString(key::CustomImageSet, path);
        const GameSettings s = Loaded(*store);
        QCOMPARE(s.standardSetName, kept ? standard.toStdString() : "misc");
        QCOMPARE(s.customSetPath, kept ? path : "");
    }

    // Each value is in the file, as plain text, the moment it is written.
    void iniFileIsWrittenThrough() {
        QSettingsStore store(dir_.filePath("Gemino.ini"));
        store.WriteInt(key::ButtonSize, 64);
        store.WriteBool(key::PlaySounds, true);
        QFile file(dir_.filePath("Gemino.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Settings]\nButton%20Size=64\nPlay%20Sounds=1\n"));
    }

    void userStoreLocation() {
        const QSettingsStore store;
#ifdef Q_OS_WIN
        QCOMPARE(store.location(), "\\HKEY_CURRENT_USER\\Software\\Oakvale\\Gemino\\Gemino");
#else
        QVERIFY2(store.location().endsWith("/Oakvale/Gemino.ini"), qPrintable(store.location()));
#endif
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

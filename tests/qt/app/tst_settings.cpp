#include "core/settings/memorysettingsstore.h"
#include "core/settings/settings.h"
#include "qt/app/qsettingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using namespace gemino;

namespace {

enum class Kind { Memory, Ini };

// Every case runs against the memory store and against an INI file.
template <typename... Values> void addRow(const QString& tag, const Values&... values) {
    for (Kind kind : {Kind::Memory, Kind::Ini})
        ((QTest::addRow("%s: %s", kind == Kind::Memory ? "memory" : "ini", qPrintable(tag)) << kind)
         << ... << values);
}

// The loaded record as "stored name=value; ...", booleans as 1 and 0.
QString fields(const GameSettings& s) {
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

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int files_ = 0;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QFile(dir_.filePath("Cards.ims")).open(QIODevice::WriteOnly));
        // Relative custom set paths are looked up from here.
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    // What is stored (numbers, strings or nothing) and the fields that load off their
    // defaults; every other field keeps its default. '~' stands for the temporary folder.
    void load_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("loaded");
        const auto row = [](const QString& tag, const char* name, const QVariant& value,
                            const QString& loaded) {
            addRow(tag, QVariantMap{{name, value}}, QString(name) + '=' + loaded);
        };
        addRow("empty store", QVariantMap(), QString());
        // Name, range and default. Out of range means the default, never the nearer bound.
        for (const auto& [name, lowest, highest, fallback] :
             {std::tuple{"Number Players", 1, 2, 2},
              std::tuple{"Unmatched Image Display Time", 1, 5000, 1500},
              std::tuple{"Number Flashes of Matched Images", 1, 7, 3},
              std::tuple{"Number Columns", 1, 10, 8}, std::tuple{"Button Size", 32, 200, 50},
              std::tuple{"Button Spacing", 1, 40, 12}}) {
            for (int v : {lowest, highest, lowest - 1, highest + 1, INT_MIN, INT_MAX}) {
                const bool in = v >= lowest && v <= highest;
                row(QString("%1 %2").arg(name).arg(v), name, v, QString::number(in ? v : fallback));
            }
        }
        // The Board Layout dialog can store spacings up to 50.
        row("spacing 50", "Button Spacing", 50, "12");
        // Only a stored 1 is true.
        for (const char* name : {"Display Matcher Name", "Display Image Text",
                                 "Highlight Matched Images", "Play Sounds"}) {
            for (int v : {1, 0, 2, -1})
                row(QString("%1 %2").arg(name).arg(v), name, v, QString::number(v == 1));
        }
        // Strings are taken as they are, the empty name included.
        row("empty name", "Player 1 Name", "", "");
        const QString odd = QString::fromUtf8("  Zoë, \"Åsa\" @x=[y];#z\\ ");
        row("odd name", "Player 2 Name", odd, odd);
        row("standard set", "Standard Image Set", "flags", "flags");
        // Text where a number belongs reads as the default.
        for (const char* text : {"abc", "64abc", "0x40", "64.5", "", "4294967346"})
            row(QString("size '%1'").arg(text), "Button Size", text, "50");
        row("sounds '0abc'", "Play Sounds", "0abc", "1");
        // A custom set is checked only while no standard set is named; a missing one falls back
        // to "misc" for this run only (the loader cannot write to the store). What counts as
        // missing is the path utility's lookup.
        const auto chosen = [](const char* tag, const char* standard, const char* custom,
                               bool kept) {
            addRow(
                tag, QVariantMap{{key::StandardImageSet, standard}, {key::CustomImageSet, custom}},
                kept ? QString("Standard Image Set=%1; Custom Image Set=%2").arg(standard, custom)
                     : QString("Standard Image Set=misc; Custom Image Set="));
        };
        chosen("deleted file", "", "~/Lost.ims", false);
        chosen("deleted file, standard set named", "flags", "~/Lost.ims", true);
        chosen("existing file", "", "~/Cards.ims", true);
        chosen("nothing chosen", "", "", true);
    }
    void load() {
        QFETCH(Kind, kind);
        QFETCH(QVariantMap, stored);
        QFETCH(QString, loaded);
        const QString file = dir_.filePath(QString("%1.ini").arg(++files_));
        MemorySettingsStore memory;
        QSettingsStore ini(file);
        SettingsStore& store = kind == Kind::Memory ? static_cast<SettingsStore&>(memory) : ini;
        for (auto [name, value] : stored.asKeyValueRange()) {
            const std::string key = name.toStdString();
            if (value.typeId() == QMetaType::Int)
                store.WriteInt(key, value.toInt());
            else
                store.WriteString(key, value.toString().replace('~', dir_.path()).toStdString());
        }
        QStringList expected = kDefaults.split("; ");
        for (const QString& change : loaded.split("; ", Qt::SkipEmptyParts)) {
            for (QString& field : expected)
                if (field.section('=', 0, 0) == change.section('=', 0, 0))
                    field = change;
        }
        // The file is loaded from a copy taken while its writer is still open, so every value
        // must be on disk the moment it is written.
        QFile::copy(file, file + ".copy");
        const QSettingsStore reread(file + ".copy");
        // Every field starts off its default, so that a field the loader forgets shows.
        GameSettings s{"x", "x", 0, false, false, false, 0, 0, "x", "x", 0, 0, 0, false, "x"};
        LoadSettings(s, kind == Kind::Memory ? static_cast<const SettingsStore&>(memory) : reread,
                     "/start");
        QCOMPARE(fields(s), expected.join("; ").replace('~', dir_.path()));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

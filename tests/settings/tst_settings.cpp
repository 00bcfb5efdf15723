#include "app/memorysettingsstore.h"
#include "app/qsettingsstore.h"
#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <memory>
#include <string>

using namespace gemino;

namespace {

enum class Kind { Memory, Ini };

const char* KindName(Kind kind) {
    return kind == Kind::Memory ? "memory" : "ini";
}

// Passes everything through and counts the writes, whichever store lies beneath.
class CountingStore : public SettingsStore {
public:
    explicit CountingStore(SettingsStore& inner) : inner_(inner) {}

    int ReadInt(const std::string& name, int defaultValue) const override {
        return inner_.ReadInt(name, defaultValue);
    }
    std::string ReadString(const std::string& name,
                           const std::string& defaultValue) const override {
        return inner_.ReadString(name, defaultValue);
    }
    void WriteInt(const std::string& name, int value) override {
        ++writes;
        inner_.WriteInt(name, value);
    }
    void WriteString(const std::string& name, const std::string& value) override {
        ++writes;
        inner_.WriteString(name, value);
    }

    int writes = 0;

private:
    SettingsStore& inner_;
};

// Every field differs from its default, so a field LoadSettings forgets shows up.
GameSettings Scrambled() {
    GameSettings s;
    s.standardSetName = "scrambled";
    s.customSetPath = "scrambled";
    s.numberPlayers = -9;
    s.displayMatcherName = false;
    s.displayImageText = false;
    s.highlightMatchedImages = false;
    s.unmatchedDisplayTime = -9;
    s.matchFlashes = -9;
    s.player1Name = "scrambled";
    s.player2Name = "scrambled";
    s.columns = -9;
    s.buttonSize = -9;
    s.buttonSpacing = -9;
    s.playSounds = false;
    s.startupDirectory = "scrambled";
    return s;
}

GameSettings Loaded(const SettingsStore& store) {
    GameSettings settings = Scrambled();
    LoadSettings(settings, store, "/start");
    return settings;
}

// The loaded field behind a value name, booleans as 1 and 0.
int NumericField(const GameSettings& s, const QString& name) {
    const std::string key = name.toStdString();
    if (key == key::NumberPlayers)
        return s.numberPlayers;
    if (key == key::DisplayMatcherName)
        return s.displayMatcherName;
    if (key == key::DisplayImageText)
        return s.displayImageText;
    if (key == key::HighlightMatchedImages)
        return s.highlightMatchedImages;
    if (key == key::UnmatchedDisplayTime)
        return s.unmatchedDisplayTime;
    if (key == key::MatchFlashes)
        return s.matchFlashes;
    if (key == key::NumberColumns)
        return s.columns;
    if (key == key::ButtonSize)
        return s.buttonSize;
    if (key == key::ButtonSpacing)
        return s.buttonSpacing;
    if (key == key::PlaySounds)
        return s.playSounds;
    qFatal("no numeric field for %s", qPrintable(name));
}

const char* const kBooleans[] = {key::DisplayMatcherName, key::DisplayImageText,
                                 key::HighlightMatchedImages, key::PlaySounds};

const char* const kAllNames[] = {
    key::StandardImageSet,     key::CustomImageSet,   key::NumberPlayers,
    key::DisplayMatcherName,   key::DisplayImageText, key::HighlightMatchedImages,
    key::UnmatchedDisplayTime, key::MatchFlashes,     key::Player1Name,
    key::Player2Name,          key::NumberColumns,    key::ButtonSize,
    key::ButtonSpacing,        key::PlaySounds,       key::BrowseFileDir,
    key::BrowseFileFilter};

// One row per store kind, so every case runs against the memory store and the INI file.
template <typename... Values> void AddRow(const QString& name, const Values&... values) {
    for (Kind kind : {Kind::Memory, Kind::Ini}) {
        QTestData& row = QTest::addRow("%s: %s", KindName(kind), qPrintable(name)) << kind;
        ((row << values), ...);
    }
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CurrentFolder {
public:
    explicit CurrentFolder(const QString& path) : previous_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    QString previous_;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir files_; // image set files the custom-set check looks for
    std::unique_ptr<QTemporaryDir> storeDir_;

    QString IniPath() const { return storeDir_->filePath(QStringLiteral("Gemino.ini")); }

    std::unique_ptr<SettingsStore> MakeStore(Kind kind) const {
        if (kind == Kind::Memory)
            return std::make_unique<MemorySettingsStore>();
        return std::make_unique<QSettingsStore>(IniPath());
    }

    std::string Expand(const QString& path) const {
        return QString(path).replace(QLatin1Char('@'), files_.path()).toStdString();
    }

    static void AddKinds() {
        QTest::addColumn<Kind>("kind");
        AddRow(QStringLiteral("store"));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(files_.isValid());
        QFile cards(files_.filePath(QStringLiteral("Cards.ims")));
        QVERIFY(cards.open(QIODevice::WriteOnly));
    }

    void init() {
        storeDir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(storeDir_->isValid());
    }

    void emptyStoreGivesEveryDefault_data() { AddKinds(); }
    void emptyStoreGivesEveryDefault() {
        QFETCH(Kind, kind);
        const auto store = MakeStore(kind);
        const GameSettings s = Loaded(*store);
        QCOMPARE(s.standardSetName, std::string("misc"));
        QCOMPARE(s.customSetPath, std::string());
        QCOMPARE(s.numberPlayers, 2);
        QVERIFY(s.displayMatcherName);
        QVERIFY(s.displayImageText);
        QVERIFY(s.highlightMatchedImages);
        QCOMPARE(s.unmatchedDisplayTime, 1500);
        QCOMPARE(s.matchFlashes, 3);
        QCOMPARE(s.player1Name, std::string("Player 1"));
        QCOMPARE(s.player2Name, std::string("Player 2"));
        QCOMPARE(s.columns, 8);
        QCOMPARE(s.buttonSize, 50);
        QCOMPARE(s.buttonSpacing, 12);
        QVERIFY(s.playSounds);
        QCOMPARE(s.startupDirectory, std::string("/start"));
    }

    void integersOutOfRangeReadAsTheDefault_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("expected");
        struct Range {
            const char* name;
            int lowest;
            int highest;
            int defaultValue;
        };
        const Range ranges[] = {
            {key::NumberPlayers, 1, 2, 2},  {key::UnmatchedDisplayTime, 1, 5000, 1500},
            {key::MatchFlashes, 1, 7, 3},   {key::NumberColumns, 1, 10, 8},
            {key::ButtonSize, 32, 200, 50}, {key::ButtonSpacing, 1, 40, 12}};
        for (const Range& r : ranges) {
            const QString name = QString::fromLatin1(r.name);
            for (int stored : {r.lowest, r.highest})
                AddRow(QStringLiteral("%1 %2").arg(name).arg(stored), name, stored, stored);
            for (int stored : {r.lowest - 1, r.highest + 1, INT_MIN, INT_MAX, -1})
                AddRow(QStringLiteral("%1 %2").arg(name).arg(stored), name, stored, r.defaultValue);
        }
        // Display time 0 and 5001, columns 0 and 11 and spacing 41 are among the rows above.
        // The Board Layout dialog can store spacings up to 50; the game starts with 12 again.
        const QString spacing = QString::fromLatin1(key::ButtonSpacing);
        for (int stored = 42; stored <= 50; ++stored)
            AddRow(QStringLiteral("spacing %1").arg(stored), spacing, stored, 12);
    }
    void integersOutOfRangeReadAsTheDefault() {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(int, stored);
        QFETCH(int, expected);
        const auto store = MakeStore(kind);
        store->WriteInt(name.toStdString(), stored);
        QCOMPARE(NumericField(Loaded(*store), name), expected);
        // The store itself keeps what was written.
        QCOMPARE(store->ReadInt(name.toStdString(), -12345), stored);
    }

    void onlyAStoredOneIsTrue_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("expected");
        for (const char* name : kBooleans) {
            const QString n = QString::fromLatin1(name);
            AddRow(n + QStringLiteral(" 1"), n, 1, 1);
            AddRow(n + QStringLiteral(" 0"), n, 0, 0);
            AddRow(n + QStringLiteral(" 2"), n, 2, 0);
            AddRow(n + QStringLiteral(" -1"), n, -1, 0);
            AddRow(n + QStringLiteral(" INT_MIN"), n, INT_MIN, 0);
        }
    }
    void onlyAStoredOneIsTrue() {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(int, stored);
        QFETCH(int, expected);
        const auto store = MakeStore(kind);
        store->WriteInt(name.toStdString(), stored);
        const GameSettings s = Loaded(*store);
        QCOMPARE(NumericField(s, name), expected);
        for (const char* other : kBooleans) {
            if (name != QLatin1String(other))
                QCOMPARE(NumericField(s, QString::fromLatin1(other)), 1);
        }
    }

    void booleansAreWrittenAsOneAndZero_data() { AddKinds(); }
    void booleansAreWrittenAsOneAndZero() {
        QFETCH(Kind, kind);
        const auto store = MakeStore(kind);
        store->WriteBool(key::PlaySounds, true);
        QCOMPARE(store->ReadInt(key::PlaySounds, -1), 1);
        QVERIFY(store->ReadBool(key::PlaySounds, false));
        store->WriteBool(key::PlaySounds, false);
        QCOMPARE(store->ReadInt(key::PlaySounds, -1), 0);
        QVERIFY(!store->ReadBool(key::PlaySounds, true));
        QVERIFY(store->ReadBool(key::DisplayImageText, true));
        QVERIFY(!store->ReadBool(key::DisplayImageText, false));
    }

    void wordWhereANumberBelongsReadsAsTheDefault_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("expected");
        const QString size = QString::fromLatin1(key::ButtonSize);
        AddRow(QStringLiteral("abc"), size, QStringLiteral("abc"), 50);
        AddRow(QStringLiteral("number then word"), size, QStringLiteral("64abc"), 50);
        AddRow(QStringLiteral("fraction"), size, QStringLiteral("64.5"), 50);
        AddRow(QStringLiteral("hexadecimal"), size, QStringLiteral("0x40"), 50);
        AddRow(QStringLiteral("empty"), size, QString(), 50);
        AddRow(QStringLiteral("beyond 32 bits"), QString::fromLatin1(key::UnmatchedDisplayTime),
               QStringLiteral("4294968296"), 1500);
        AddRow(QStringLiteral("boolean word"), QString::fromLatin1(key::PlaySounds),
               QStringLiteral("off"), 1);
        AddRow(QStringLiteral("boolean zero then word"), QString::fromLatin1(key::PlaySounds),
               QStringLiteral("0abc"), 1);
    }
    void wordWhereANumberBelongsReadsAsTheDefault() {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(QString, word);
        QFETCH(int, expected);
        const auto store = MakeStore(kind);
        store->WriteString(name.toStdString(), word.toStdString());
        QCOMPARE(NumericField(Loaded(*store), name), expected);
    }

    void playerNamesReadAsStored_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("stored");
        AddRow(QStringLiteral("empty stays empty"), QString());
        AddRow(QStringLiteral("blanks around"), QStringLiteral("  Ann  "));
        AddRow(QStringLiteral("comma"), QStringLiteral("Smith, John"));
        AddRow(QStringLiteral("looks like a number"), QStringLiteral("42"));
        AddRow(QStringLiteral("ini syntax"), QStringLiteral("@x=[y];#z\\"));
        AddRow(QStringLiteral("non-latin"), QString::fromUtf8("Zoë \xF0\x9F\x82\xA1 Åsa"));
    }
    void playerNamesReadAsStored() {
        QFETCH(Kind, kind);
        QFETCH(QString, stored);
        const auto store = MakeStore(kind);
        store->WriteString(key::Player1Name, stored.toStdString());
        store->WriteString(key::Player2Name, (stored + QStringLiteral("2")).toStdString());
        const GameSettings s = Loaded(*store);
        QCOMPARE(QString::fromStdString(s.player1Name), stored);
        QCOMPARE(QString::fromStdString(s.player2Name), stored + QStringLiteral("2"));
    }

    void customSetCheck_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<QString>("expectedStandard");
        QTest::addColumn<QString>("expectedCustom");
        const QString misc = QStringLiteral("misc");
        AddRow(QStringLiteral("deleted file"), QString(), QStringLiteral("@/Lost.ims"), misc,
               QString());
        AddRow(QStringLiteral("deleted file, standard set named"), QStringLiteral("flags"),
               QStringLiteral("@/Lost.ims"), QStringLiteral("flags"), QStringLiteral("@/Lost.ims"));
        AddRow(QStringLiteral("existing file"), QString(), QStringLiteral("@/Cards.ims"), QString(),
               QStringLiteral("@/Cards.ims"));
        AddRow(QStringLiteral("relative existing file"), QString(), QStringLiteral("Cards.ims"),
               QString(), QStringLiteral("Cards.ims"));
        AddRow(QStringLiteral("relative deleted file"), QString(), QStringLiteral("Lost.ims"), misc,
               QString());
        AddRow(QStringLiteral("star matching"), QString(), QStringLiteral("@/*.ims"), QString(),
               QStringLiteral("@/*.ims"));
        AddRow(QStringLiteral("question matching"), QString(), QStringLiteral("@/?ards.ims"),
               QString(), QStringLiteral("@/?ards.ims"));
        AddRow(QStringLiteral("wildcard matching nothing"), QString(), QStringLiteral("@/*.icl"),
               misc, QString());
        AddRow(QStringLiteral("trailing separator"), QString(), QStringLiteral("@/"), misc,
               QString());
        AddRow(QStringLiteral("nothing chosen"), QString(), QString(), QString(), QString());
    }
    void customSetCheck() {
        QFETCH(Kind, kind);
        QFETCH(QString, standard);
        QFETCH(QString, custom);
        QFETCH(QString, expectedStandard);
        QFETCH(QString, expectedCustom);
        const CurrentFolder here(files_.path());
        const auto store = MakeStore(kind);
        store->WriteString(key::StandardImageSet, standard.toStdString());
        store->WriteString(key::CustomImageSet, Expand(custom));
        const GameSettings s = Loaded(*store);
        QCOMPARE(QString::fromStdString(s.standardSetName), expectedStandard);
        QCOMPARE(s.customSetPath, Expand(expectedCustom));
        // The fallback is for this run only; the store still holds the old choice.
        QCOMPARE(QString::fromStdString(store->ReadString(key::StandardImageSet, "unset")),
                 standard);
        QCOMPARE(store->ReadString(key::CustomImageSet, "unset"), Expand(custom));
    }

    void loadSettingsWritesNothing_data() { AddKinds(); }
    void loadSettingsWritesNothing() {
        QFETCH(Kind, kind);
        const auto store = MakeStore(kind);
        store->WriteString(key::StandardImageSet, "");
        store->WriteString(key::CustomImageSet, Expand(QStringLiteral("@/Lost.ims")));
        store->WriteInt(key::ButtonSpacing, 45);
        store->WriteInt(key::NumberColumns, 0);
        store->WriteInt(key::PlaySounds, 2);
        store->WriteString(key::ButtonSize, "abc");
        const QByteArray fileBefore = ReadAll(IniPath());

        CountingStore counting(*store);
        const GameSettings s = Loaded(counting);
        QCOMPARE(s.standardSetName, std::string("misc"));
        QCOMPARE(s.buttonSpacing, 12);
        QCOMPARE(counting.writes, 0);
        QCOMPARE(ReadAll(IniPath()), fileBefore);
        QCOMPARE(store->ReadInt(key::ButtonSpacing, -1), 45);
        QCOMPARE(store->ReadInt(key::NumberColumns, -1), 0);
        QCOMPARE(store->ReadString(key::ButtonSize, ""), std::string("abc"));
    }

    void memoryStoreKeepsTheTypeOfEachValue() {
        MemorySettingsStore store;
        store.WriteInt(key::Player1Name, 5);
        QCOMPARE(store.ReadString(key::Player1Name, "Player 1"), std::string("Player 1"));
        QCOMPARE(store.ReadInt(key::Player1Name, 0), 5);
        store.WriteString(key::ButtonSize, "64");
        QCOMPARE(store.ReadInt(key::ButtonSize, 50), 50);
        QCOMPARE(store.ReadString(key::ButtonSize, ""), std::string("64"));
        store.WriteBool(key::PlaySounds, false);
        QCOMPARE(store.values().at(key::PlaySounds), MemorySettingsStore::Value(0));
        store.WriteBool(key::PlaySounds, true);
        QCOMPARE(store.values().at(key::PlaySounds), MemorySettingsStore::Value(1));
        QCOMPARE(store.writeCount(), 4);
        QVERIFY(!store.contains(key::Player2Name));
    }

    void qsettingsWritesNumbersThroughAtOnce() {
        QSettingsStore store(IniPath());
        store.WriteInt(key::ButtonSize, 64);
        store.WriteInt(key::MatchFlashes, -7);
        store.WriteBool(key::PlaySounds, true);
        store.WriteBool(key::DisplayImageText, false);
        store.WriteString(key::Player1Name, "64");

        // The values are on disk while the writer is still open. QSettings objects of one
        // process share what they hold in memory, so only a copy of the bytes proves it.
        const QString copy = storeDir_->filePath(QStringLiteral("copy.ini"));
        QVERIFY(QFile::copy(IniPath(), copy));
        QSettings reader(copy, QSettings::IniFormat);
        reader.beginGroup(QStringLiteral("Settings"));
        QCOMPARE(reader.value(QString::fromLatin1(key::ButtonSize)).toString(),
                 QStringLiteral("64"));
        QCOMPARE(reader.value(QString::fromLatin1(key::MatchFlashes)).toString(),
                 QStringLiteral("-7"));
        QCOMPARE(reader.value(QString::fromLatin1(key::PlaySounds)).toString(),
                 QStringLiteral("1"));
        QCOMPARE(reader.value(QString::fromLatin1(key::DisplayImageText)).toString(),
                 QStringLiteral("0"));
        QVERIFY(!ReadAll(IniPath()).contains("@Variant"));

        const QSettingsStore again(IniPath());
        QCOMPARE(again.ReadInt(key::ButtonSize, 0), 64);
        QCOMPARE(again.ReadInt(key::MatchFlashes, 0), -7);
        QVERIFY(again.ReadBool(key::PlaySounds, false));
        QVERIFY(!again.ReadBool(key::DisplayImageText, true));
        QCOMPARE(again.ReadString(key::Player1Name, ""), std::string("64"));
        store.WriteInt(key::ButtonSize, INT_MIN);
        store.WriteInt(key::ButtonSpacing, INT_MAX);
        const QSettingsStore extremes(IniPath());
        QCOMPARE(extremes.ReadInt(key::ButtonSize, 0), INT_MIN);
        QCOMPARE(extremes.ReadInt(key::ButtonSpacing, 0), INT_MAX);
    }

    void qsettingsFileHoldsTheSettingsGroupWithTheExactNames() {
        {
            QSettingsStore store(IniPath());
            for (const char* name : kAllNames)
                store.WriteString(name, "x");
        }
        QVERIFY(ReadAll(IniPath()).startsWith("[Settings]"));
        QSettings reader(IniPath(), QSettings::IniFormat);
        QCOMPARE(reader.childGroups(), QStringList{QStringLiteral("Settings")});
        QCOMPARE(reader.childKeys(), QStringList());
        reader.beginGroup(QStringLiteral("Settings"));
        QStringList expected;
        for (const char* name : kAllNames)
            expected << QString::fromLatin1(name);
        expected.sort();
        QStringList keys = reader.childKeys();
        keys.sort();
        QCOMPARE(keys, expected);
    }

    void qsettingsReadsAHandEditedFile() {
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\n"
                   "Button Size = 64 \n"
                   "Number Columns=7abc\n"
                   "Number Players=@ByteArray(1)\n"
                   "Player 1 Name=\n"
                   "Player 2 Name=\"  Ann  \"\n"
                   "Play Sounds=0\n"
                   "Standard Image Set=computer, flags\n"
                   "[Other]\n"
                   "Button Spacing=20\n");
        file.close();
        const QSettingsStore store(IniPath());
        const GameSettings s = Loaded(store);
        QCOMPARE(s.buttonSize, 64);
        QCOMPARE(s.columns, 8);
        QCOMPARE(s.numberPlayers, 2);
        QCOMPARE(s.player1Name, std::string());
        QCOMPARE(s.player2Name, std::string("  Ann  "));
        QVERIFY(!s.playSounds);
        // Unquoted commas make a list, which is not a string.
        QCOMPARE(s.standardSetName, std::string("misc"));
        QCOMPARE(s.buttonSpacing, 12);
    }

    void qsettingsIgnoresAFailedWrite() {
        // A folder where the file should be: every write fails.
        QVERIFY(QDir(storeDir_->path()).mkdir(QStringLiteral("Gemino.ini")));
        QSettingsStore store(IniPath());
        store.WriteInt(key::ButtonSize, 64);
        store.WriteString(key::Player1Name, "Ann");
        QVERIFY(QFileInfo(IniPath()).isDir());
        QVERIFY(QDir(IniPath()).isEmpty());
    }

    void qsettingsDefaultLocationIsTheUserProfile() {
        const QSettingsStore store;
#ifdef Q_OS_WIN
        QCOMPARE(store.location(),
                 QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Oakvale\\Gemino\\Gemino"));
#else
        QVERIFY2(store.location().endsWith(QStringLiteral("/Oakvale/Gemino.ini")),
                 qPrintable(store.location()));
#endif
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

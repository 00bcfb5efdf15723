#include "core/paths/pathutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace gemino::pathutil;

class TestPathUtil : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // One table row, tagged with its first value.
    template <typename... Rest> static void Row(const QByteArray& first, const Rest&... rest) {
        ((QTest::addRow("'%s'", first.constData()) << first) << ... << rest);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath("Images.old"));
        for (const char* name : {"Cards.Set.ims", "a.ico", "b.ico", "Images.old/face.bmp"})
            QVERIFY(QFile(dir_.filePath(name)).open(QIODevice::WriteOnly));
#ifdef Q_OS_UNIX
        QCOMPARE(mkfifo(QFile::encodeName(dir_.filePath("pipe.ims")).constData(), 0600), 0);
        QVERIFY(QFile::link(dir_.filePath("Lost.ims"), dir_.filePath("link.ims")));
#endif
        // Relative paths are looked up from here.
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    // What the text of a path alone tells.
    void pathText_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("driveSpec");
        QTest::addColumn<QString>("extension");
        for (const char* path : {"C:", "c:\\", "A:", "Z:", "a:", "z:"})
            Row(path, true, "");
        // Letters end where ASCII puts '@', '[', '`' and '{'.
        for (const char* path : {"C", "C:\\\\", "C:/", "1:", "C:\\x", "", "@:", "[:", "`:", "{:"})
            Row(path, false, "");
        // Only the last dot counts, even inside a folder name; the case is kept.
        Row("Cards.Set.ims", false, "ims");
        Row("name.", false, "");
        Row("/images/name", false, "");
        Row("Photo.JPG", false, "JPG");
        Row("a. \tico", false, "ico");
        Row("C:\\my.sets\\cards", false, "sets\\cards");
    }
    void pathText() {
        QFETCH(QByteArray, path);
        QFETCH(bool, driveSpec);
        QFETCH(QString, extension);
        QCOMPARE(IsDriveSpec(path.toStdString()), driveSpec);
        QCOMPARE(QString::fromStdString(GetPathExtension(path.toStdString())), extension);
    }

    // Words are separated by blanks; the white space after a word goes with it. The word popped
    // is then looked up, ignoring case, in a list whose blanks run several wide.
    void words_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("rest");
        QTest::addColumn<int>("index");
        Row("", "", "", 0);
        Row("    ", "", "", 0);
        Row("  Bmp    dll ico", "Bmp", "dll ico", 5);
        Row("ic \t\r\n dll", "ic", "dll", 0);
        Row("icons", "icons", "", 0);
        Row("exe\tdll ico", "exe\tdll", "ico", 0);
        Row("ZIP", "ZIP", "", 6);
    }
    void words() {
        QFETCH(QByteArray, list);
        QFETCH(QString, word);
        QFETCH(QString, rest);
        QFETCH(int, index);
        std::string words = list.toStdString();
        QCOMPARE(QString::fromStdString(PopWord(words)), word);
        QCOMPARE(QString::fromStdString(words), rest);
        QCOMPARE(FindWordIndex("exe   dll ico icl  bmp zip", word.toStdString()), index);
    }

    // '?' stands for one character, however many bytes it takes, and a hostile pattern must not
    // take exponential time.
    void wildcardMatch() {
        const std::string hostile = std::string(100, '*') + "a*a*a*a*a*a*a*a*b";
        for (const auto& [pattern, name, match] : {std::tuple{"?.ico", "ab.ico", false},
                                                   {"a*b*c", "aXXbYY", false},
                                                   {"*ab", "aab", true},
                                                   {"ab**", "ab", true},
                                                   {"G?nse", "Gänse", true}})
            QCOMPARE(gemino::pathutil::wildcardMatch(pattern, name), match);
        QVERIFY(!gemino::pathutil::wildcardMatch(hostile, std::string(4000, 'a')));
        QVERIFY(gemino::pathutil::wildcardMatch('*' + hostile, std::string(4000, 'a') + 'b'));
    }

    // What each lookup function makes of one path; PathExists also gets it split into a folder
    // and a name.
    void lookups_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("isFolder");
        Row("@/Cards.Set.ims", true, "Cards.Set", "@", false);
        Row("@/Lost.ims", false, "", "", false);
        Row("C:\\", false, "", "C:\\", false);
        Row("@/Images.old", true, "Images", "@", true);
        Row("@/Images.old/", false, "", "", false);
        Row("@\\Images.old\\face.bmp", true, "face", "@/Images.old", false);
        Row("Images.old/face.bmp", true, "face", "@/Images.old", false);
        // Of several matches the smallest name is taken, so results do not depend on the order
        // of the folder.
        Row("@/?.ico", true, "a", "@", false);
        Row("", false, "", "", false);
        // A NUL would cut the path short where the system sees it.
        Row(QByteArray("@/a.ico\0x", 9), false, "", "", false);
#ifdef Q_OS_UNIX
        // Asked about, never opened: a FIFO without a writer would block. A link to nothing is
        // nothing.
        Row("@/pipe.ims", true, "pipe", "@", false);
        Row("@/link.ims", false, "", "", false);
        const QString top = '/' + dir_.path().section('/', 1, 1);
        Row(top.toUtf8(), true, top.mid(1), "/", true);
#endif
    }
    void lookups() {
        QFETCH(QByteArray, path);
        QFETCH(bool, exists);
        QFETCH(QString, title);
        QFETCH(QString, folder);
        QFETCH(bool, isFolder);
        // '@' stands for the temporary folder.
        const std::string pattern = path.replace('@', QFile::encodeName(dir_.path())).toStdString();
        QCOMPARE(PathExists(pattern, ""), exists);
        const std::size_t cut = pattern.find_last_of("/\\");
        if (cut != std::string::npos && cut > 0)
            QCOMPARE(PathExists(pattern.substr(cut + 1), pattern.substr(0, cut)), exists);
        QCOMPARE(QString::fromStdString(GetPathTitle(pattern)), title);
        QCOMPARE(QString::fromStdString(GetPathFolder(pattern)),
                 QDir::toNativeSeparators(folder.replace('@', dir_.path())));
        QCOMPARE(IsFolderPath(pattern), isFolder);
    }
};

QTEST_GUILESS_MAIN(TestPathUtil)
#include "tst_pathutil.moc"

#include "editor/pathutil.h"

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
        QDir root(dir_.path());
        QVERIFY(root.mkpath("Images.old"));
        for (const char* name : {"Cards.Set.ims", "a.ico", "b.ico", "Images.old/face.bmp"})
            QVERIFY(QFile(root.filePath(name)).open(QIODevice::WriteOnly));
#ifdef Q_OS_UNIX
        QCOMPARE(mkfifo(QFile::encodeName(root.filePath("pipe.ims")).constData(), 0600), 0);
        QVERIFY(QFile::link(root.filePath("gone.ico"), root.filePath("dangling.ico")));
        QVERIFY(QFile::link(root.filePath("Images.old"), root.filePath("linked")));
#endif
        // Relative paths are looked up from here.
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    // What the text of a path alone tells.
    void pathText_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("driveSpec");
        QTest::addColumn<QString>("extension");
        for (const char* path : {"C:", "c:\\", "a:", "Z:"})
            Row(path, true, "");
        // Letters end where ASCII puts '@', '[', '`' and '{'.
        for (const char* path :
             {"C", "C:\\\\", "C:/", "1:", "C:\\x", "", "CC", "@:", "[:", "`:", "{:"})
            Row(path, false, "");
        Row("Cards.Set.ims", false, "ims");
        Row("name.", false, "");
        Row("/images/name", false, "");
        Row("Photo.JPG", false, "JPG");
        Row("a. \tico", false, "ico");
        // The last dot of the whole path counts, even inside a folder name.
        Row("C:\\my.sets\\cards", false, "sets\\cards");
    }
    void pathText() {
        QFETCH(QByteArray, path);
        QFETCH(bool, driveSpec);
        QFETCH(QString, extension);
        QCOMPARE(IsDriveSpec(path.toStdString()), driveSpec);
        QCOMPARE(QString::fromStdString(GetPathExtension(path.toStdString())), extension);
    }

    // Words are separated by blanks; the white space after a word goes with it.
    void popWord_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("rest");
        Row("", "", "");
        Row("    ", "", "");
        Row("exe", "exe", "");
        Row("  exe    dll ico", "exe", "dll ico");
        Row("exe \t\r\n dll", "exe", "dll");
        Row("exe\tdll ico", "exe\tdll", "ico");
    }
    void popWord() {
        QFETCH(QByteArray, list);
        QFETCH(QString, word);
        QFETCH(QString, rest);
        std::string words = list.toStdString();
        QCOMPARE(QString::fromStdString(PopWord(words)), word);
        QCOMPARE(QString::fromStdString(words), rest);
    }

    void findWordIndex_data() {
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("expected");
        const QString filters = "exe dll ico icl bmp";
        Row("ICO", filters, 3);
        Row("exe", filters, 1);
        Row("Bmp", filters, 5);
        Row("jpg", filters, 0);
        Row("", filters, 0);
        Row("ic", filters, 0);
        Row("icons", filters, 0);
        Row("ico", "", 0);
        Row("iCo", "  exe    dll   ico ", 3);
    }
    void findWordIndex() {
        QFETCH(QByteArray, word);
        QFETCH(QString, list);
        QFETCH(int, expected);
        QCOMPARE(FindWordIndex(list.toStdString(), word.toStdString()), expected);
    }

    void wildcardMatch_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");
        Row("?.ico", "ab.ico", false);
        Row("?a", "a", false);
        Row("*", "", true);
        Row("", "a", false);
        Row("a*b*c", "aXXbYY", false);
        Row("*ab", "aab", true);
        // '?' stands for one character, however many bytes it takes.
        Row("G?nse", "Gänse", true);
        // A hostile pattern must not take exponential time.
        const QByteArray hostile = QByteArray(100, '*') + "a*a*a*a*a*a*a*a*b";
        Row(hostile, QString(4000, 'a'), false);
        Row('*' + hostile, QString(4000, 'a') + 'b', true);
    }
    void wildcardMatch() {
        QFETCH(QByteArray, pattern);
        QFETCH(QString, name);
        QFETCH(bool, expected);
        QCOMPARE(WildcardMatch(pattern.toStdString(), name.toStdString()), expected);
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
        Row("@/Images.old/../a.ico", true, "a", "@", false);
        Row("Images.old/face.bmp", true, "face", "@/Images.old", false);
        // Of several matches the smallest name is taken, so results do not depend on the order
        // of the folder.
        Row("@/?.ico", true, "a", "@", false);
        Row("@/Images.*", true, "Images", "@", true);
        Row("", false, "", "", false);
        // A NUL would cut the path short where the system sees it.
        Row(QByteArray("@/a.ico\0x", 9), false, "", "", false);
#ifdef Q_OS_UNIX
        // Asked about, never opened: a FIFO without a writer would block.
        Row("@/pipe.ims", true, "pipe", "@", false);
        Row("@/dangling.ico", false, "", "", false);
        Row("@/linked", true, "linked", "@", true);
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

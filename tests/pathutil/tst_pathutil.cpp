#include "editor/pathutil.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace gemino::pathutil;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string S(const QByteArray& bytes) {
    return std::string(bytes.constData(), bytes.size());
}

// Keeps embedded NULs, which the const char* constructor would stop at.
template <std::size_t N> QByteArray Bytes(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

QString Native(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

// Moves into a folder for one test and back again, so relative lookups have a known base.
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

class TestPathUtil : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    bool haveFifo_ = false;

    // '@' in a table stands for the temporary folder.
    std::string Expand(const QString& pattern) const {
        QString path = pattern;
        return path.replace(QLatin1Char('@'), dir_.path()).toStdString();
    }

    // Where a lookup says an entry lies, in this platform's spelling.
    QString Found(const QString& relative = QString()) const {
        return QDir::toNativeSeparators(relative.isEmpty() ? dir_.path() : dir_.filePath(relative));
    }

    void MakeFile(const QString& relative) {
        QFile file(dir_.filePath(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("Images.old")));
        MakeFile(QStringLiteral("Cards.Set.ims"));
        MakeFile(QStringLiteral("a.ico"));
        MakeFile(QStringLiteral("b.ico"));
        MakeFile(QStringLiteral("Images.old/face.bmp"));
        MakeFile(QStringLiteral("Images.old/README"));
#ifdef Q_OS_UNIX
        haveFifo_ = mkfifo(QFile::encodeName(dir_.filePath(QStringLiteral("pipe.ims"))).constData(),
                           0600) == 0;
#endif
    }

    void isDriveLetter_data() {
        QTest::addColumn<char>("c");
        QTest::addColumn<bool>("expected");
        QTest::newRow("a") << 'a' << true;
        QTest::newRow("z") << 'z' << true;
        QTest::newRow("A") << 'A' << true;
        QTest::newRow("Z") << 'Z' << true;
        QTest::newRow("before A") << '@' << false;
        QTest::newRow("after Z") << '[' << false;
        QTest::newRow("before a") << '`' << false;
        QTest::newRow("after z") << '{' << false;
        QTest::newRow("digit") << '1' << false;
        QTest::newRow("high byte") << '\xC4' << false;
    }
    void isDriveLetter() {
        QFETCH(char, c);
        QFETCH(bool, expected);
        QCOMPARE(IsDriveLetter(c), expected);
    }

    void isDriveSpec_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("C:") << "C:" << true;
        QTest::newRow("c:\\") << "c:\\" << true;
        QTest::newRow("C") << "C" << false;
        QTest::newRow("C:\\\\") << "C:\\\\" << false;
        QTest::newRow("C:/") << "C:/" << false;
        QTest::newRow("1:") << "1:" << false;
        QTest::newRow("C:\\x") << "C:\\x" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("root") << "/" << false;
        QTest::newRow("CC") << "CC" << false;
    }
    void isDriveSpec() {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QCOMPARE(IsDriveSpec(path.toStdString()), expected);
    }

    void getPathExtension_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two dots") << "Cards.Set.ims"
                                  << "ims";
        QTest::newRow("ends in a dot") << "name."
                                       << "";
        QTest::newRow("no dot") << "/images/name"
                                << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("case kept") << "Photo.JPG"
                                   << "JPG";
        QTest::newRow("leading blanks dropped") << "a. \tico"
                                                << "ico";
        // The last dot of the whole path counts, even when it sits in a folder name.
        QTest::newRow("dot in folder") << "/images/my.sets/cards"
                                       << "sets/cards";
        QTest::newRow("dot in windows folder") << "C:\\my.sets\\cards"
                                               << "sets\\cards";
        QTest::newRow("utf-8 name") << QString::fromUtf8("Bilder/Gänse.bmp") << "bmp";
    }
    void getPathExtension() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Q(GetPathExtension(path.toStdString())), expected);
    }

    void popWord_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("rest");
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("blanks only") << "    "
                                     << ""
                                     << "";
        QTest::newRow("one word") << "exe"
                                  << "exe"
                                  << "";
        QTest::newRow("one word and blanks") << "  exe  "
                                             << "exe"
                                             << "";
        QTest::newRow("several") << "exe dll ico"
                                 << "exe"
                                 << "dll ico";
        QTest::newRow("several blanks between") << "  exe    dll"
                                                << "exe"
                                                << "dll";
        QTest::newRow("white space after the word") << "exe \t\r\n dll"
                                                    << "exe"
                                                    << "dll";
        QTest::newRow("tab is not a separator") << "exe\tdll ico"
                                                << "exe\tdll"
                                                << "ico";
    }
    void popWord() {
        QFETCH(QString, list);
        QFETCH(QString, word);
        QFETCH(QString, rest);
        std::string words = list.toStdString();
        QCOMPARE(Q(PopWord(words)), word);
        QCOMPARE(Q(words), rest);
    }

    void findWordIndex_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("expected");
        const QString filters = QStringLiteral("exe dll ico icl bmp");
        QTest::newRow("ICO") << filters << "ICO" << 3;
        QTest::newRow("first") << filters << "exe" << 1;
        QTest::newRow("last") << filters << "Bmp" << 5;
        QTest::newRow("jpg") << filters << "jpg" << 0;
        QTest::newRow("empty word") << filters << "" << 0;
        QTest::newRow("empty list") << ""
                                    << "ico" << 0;
        QTest::newRow("prefix only") << filters << "ic" << 0;
        QTest::newRow("longer word") << filters << "icons" << 0;
        QTest::newRow("several blanks count once") << "  exe    dll   ico "
                                                   << "ico" << 3;
    }
    void findWordIndex() {
        QFETCH(QString, list);
        QFETCH(QString, word);
        QFETCH(int, expected);
        QCOMPARE(FindWordIndex(list.toStdString(), word.toStdString()), expected);
    }

    void wildcardMatch_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");
        QTest::newRow("star ext") << "*.ims"
                                  << "Cards.Set.ims" << true;
        QTest::newRow("star ext no") << "*.ims"
                                     << "Cards.Set.icl" << false;
        QTest::newRow("question") << "?.ico"
                                  << "a.ico" << true;
        QTest::newRow("question is one character") << "?.ico"
                                                   << "ab.ico" << false;
        QTest::newRow("question needs a character") << "?a"
                                                    << "a" << false;
        QTest::newRow("star alone on empty") << "*"
                                             << "" << true;
        QTest::newRow("empty on empty") << ""
                                        << "" << true;
        QTest::newRow("empty on name") << ""
                                       << "a" << false;
        QTest::newRow("stars in between") << "a*b*c"
                                          << "aXXbYYc" << true;
        QTest::newRow("stars missing tail") << "a*b*c"
                                            << "aXXbYY" << false;
        QTest::newRow("backtracking") << "*ab"
                                      << "aab" << true;
        QTest::newRow("literal mismatch") << "cards.ims"
                                          << "cards.icl" << false;
        QTest::newRow("question on two-byte character")
            << "G?nse" << QString::fromUtf8("Gänse") << true;
        QTest::newRow("question on four-byte character")
            << "?.bmp" << QString::fromUtf8("\xF0\x9F\x82\xA1.bmp") << true;
#ifndef Q_OS_WIN
        QTest::newRow("case counts") << "Cards.ims"
                                     << "cards.ims" << false;
#endif
    }
    void wildcardMatch() {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, expected);
        QCOMPARE(WildcardMatch(pattern.toStdString(), name.toStdString()), expected);
    }

    void wildcardMatchStaysFastOnHostilePatterns() {
        const std::string name(4000, 'a');
        const std::string pattern = std::string(200, '*') + "a*a*a*a*a*a*a*a*b";
        QVERIFY(!WildcardMatch(pattern, name));
        QVERIFY(WildcardMatch(pattern, name + "b"));
    }

    void pathExists_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("expected");
        QTest::newRow("empty name and folder") << ""
                                               << "" << false;
        QTest::newRow("name in folder") << "a.ico"
                                        << "@" << true;
        QTest::newRow("folder with trailing separator") << "a.ico"
                                                        << "@/" << true;
        QTest::newRow("missing name in folder") << "c.ico"
                                                << "@" << false;
        QTest::newRow("name in another folder") << "a.ico"
                                                << "@/Images.old" << false;
        QTest::newRow("full path, no folder") << "@/a.ico"
                                              << "" << true;
        QTest::newRow("empty name in folder") << ""
                                              << "@" << false;
        QTest::newRow("dotted folder") << "face.bmp"
                                       << "@/Images.old" << true;
        QTest::newRow("folder is an entry") << "Images.old"
                                            << "@" << true;
        QTest::newRow("trailing separator") << "Images.old/"
                                            << "@" << false;
        QTest::newRow("star") << "*.bmp"
                              << "@/Images.old" << true;
        QTest::newRow("question") << "?.ico"
                                  << "@" << true;
        QTest::newRow("two questions") << "??.ico"
                                       << "@" << false;
        QTest::newRow("missing folder") << "@/missing/a.ico"
                                        << "" << false;
        QTest::newRow("file used as folder") << "x"
                                             << "@/a.ico" << false;
        QTest::newRow("windows separators") << "Images.old\\face.bmp"
                                            << "@" << true;
    }
    void pathExists() {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(bool, expected);
        QCOMPARE(PathExists(Expand(name), Expand(folder)), expected);
    }

    void getPathTitle_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two dots") << "@/Cards.Set.ims"
                                  << "Cards.Set";
        QTest::newRow("nothing there") << "@/Lost.ims"
                                       << "";
        QTest::newRow("drive root") << "C:\\"
                                    << "";
        QTest::newRow("drive") << "C:"
                               << "";
        QTest::newRow("no extension") << "@/Images.old/README"
                                      << "README";
        QTest::newRow("folder") << "@/Images.old"
                                << "Images";
        QTest::newRow("trailing separator") << "@/Images.old/"
                                            << "";
        QTest::newRow("wildcard gives the entry's name") << "@/Card?.*"
                                                         << "Cards.Set";
        QTest::newRow("windows separators") << "@\\Images.old\\face.bmp"
                                            << "face";
        QTest::newRow("empty") << ""
                               << "";
    }
    void getPathTitle() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Q(GetPathTitle(Expand(path))), expected);
    }

    void getPathFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file") << "@/a.ico"
                              << "@";
        QTest::newRow("file in dotted folder") << "@/Images.old/face.bmp"
                                               << "@/Images.old";
        QTest::newRow("folder") << "@/Images.old"
                                << "@";
        QTest::newRow("wildcard") << "@/Images.old/*.bmp"
                                  << "@/Images.old";
        QTest::newRow("dot dot") << "@/Images.old/../a.ico"
                                 << "@";
        QTest::newRow("windows separators") << "@\\Images.old\\face.bmp"
                                            << "@/Images.old";
        QTest::newRow("drive root") << "C:\\"
                                    << "C:\\";
        QTest::newRow("drive") << "C:"
                               << "C:";
        QTest::newRow("nothing there") << "@/Lost.ims"
                                       << "";
        QTest::newRow("trailing separator") << "@/Images.old/"
                                            << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void getPathFolder() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Q(GetPathFolder(Expand(path))), Native(Expand(expected)));
    }

    void isFolderPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("folder") << "@/Images.old" << true;
        QTest::newRow("folder with trailing separator") << "@/Images.old/" << false;
        QTest::newRow("folder with trailing backslash") << "@/Images.old\\" << false;
        QTest::newRow("file") << "@/a.ico" << false;
        QTest::newRow("wildcard naming a folder") << "@/Images.*" << true;
        QTest::newRow("drive root") << "C:\\" << false;
        QTest::newRow("drive") << "C:" << false;
        QTest::newRow("nothing there") << "@/Lost" << false;
        QTest::newRow("empty") << "" << false;
    }
    void isFolderPath() {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QCOMPARE(IsFolderPath(Expand(path)), expected);
    }

    void findFirstMatchTakesTheSmallestName() {
        QCOMPARE(Q(FindFirstMatch(Expand(QStringLiteral("@/?.ico")))),
                 Found(QStringLiteral("a.ico")));
        QCOMPARE(Q(FindFirstMatch(Expand(QStringLiteral("@/[ab].ico")))), QString());
    }

    void relativePathsAreTakenFromTheCurrentFolder() {
        const CurrentFolder inside(dir_.filePath(QStringLiteral("Images.old")));
        QVERIFY(PathExists("face.bmp", ""));
        QVERIFY(PathExists("face.bmp", "."));
        QVERIFY(PathExists("a.ico", ".."));
        QVERIFY(!PathExists("a.ico", ""));
        QCOMPARE(Q(GetPathFolder("face.bmp")), Found(QStringLiteral("Images.old")));
        QCOMPARE(Q(GetPathFolder("..\\a.ico")), Found());
        QCOMPARE(Q(GetPathTitle("../Cards.Set.ims")), QStringLiteral("Cards.Set"));
        QCOMPARE(Q(FindFirstMatch("*.bmp")), Found(QStringLiteral("Images.old/face.bmp")));
        QVERIFY(IsFolderPath(".."));
    }

    void fifoIsAnEntryButNotAFolder() {
        if (!haveFifo_)
            QSKIP("no FIFO on this platform");
        // Only asked about, never opened: opening a FIFO with no writer would block.
        const std::string fifo = Expand(QStringLiteral("@/pipe.ims"));
        QVERIFY(PathExists(fifo, ""));
        QVERIFY(!IsFolderPath(fifo));
        QCOMPARE(Q(GetPathTitle(fifo)), QStringLiteral("pipe"));
        QCOMPARE(Q(GetPathFolder(fifo)), Found());
    }

    void linksCountAsWhatTheyPointTo() {
#ifndef Q_OS_UNIX
        QSKIP("symbolic links need privileges here");
#else
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("links")));
        QVERIFY(QFile::link(dir_.filePath(QStringLiteral("a.ico")),
                            dir_.filePath(QStringLiteral("links/file.ico"))));
        QVERIFY(QFile::link(dir_.filePath(QStringLiteral("Images.old")),
                            dir_.filePath(QStringLiteral("links/folder"))));
        QVERIFY(QFile::link(dir_.filePath(QStringLiteral("gone.ico")),
                            dir_.filePath(QStringLiteral("links/dangling.ico"))));
        QVERIFY(PathExists("file.ico", Expand(QStringLiteral("@/links"))));
        QCOMPARE(Q(GetPathTitle(Expand(QStringLiteral("@/links/file.ico")))),
                 QStringLiteral("file"));
        QVERIFY(IsFolderPath(Expand(QStringLiteral("@/links/folder"))));
        QVERIFY(!PathExists("dangling.ico", Expand(QStringLiteral("@/links"))));
        QCOMPARE(Q(FindFirstMatch(Expand(QStringLiteral("@/links/d*")))), QString());
        QCOMPARE(Q(FindFirstMatch(Expand(QStringLiteral("@/links/*.ico")))),
                 Found(QStringLiteral("links/file.ico")));
#endif
    }

    void rootEntryLiesInTheRootFolder() {
#ifdef Q_OS_WIN
        QSKIP("drive roots are covered by the drive rows");
#else
        // The first component of the temporary folder is an entry of the root.
        const QString top = QLatin1Char('/') + dir_.path().section(QLatin1Char('/'), 1, 1);
        QCOMPARE(Q(GetPathFolder(top.toStdString())), QStringLiteral("/"));
        QCOMPARE(Q(FindFirstMatch(top.toStdString())), top);
        QVERIFY(!IsFolderPath("/"));
        QCOMPARE(Q(GetPathTitle("/")), QString());
#endif
    }

    void hostileInputFindsNothing_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("NUL after an existing name") << Bytes("@/a.ico\0/../b.ico");
        QTest::newRow("NUL in the folder") << Bytes("@/Images.old\0x/face.bmp");
        QTest::newRow("very long name") << QByteArray("@/") + QByteArray(100000, 'a');
        QTest::newRow("very deep folder")
            << QByteArray("@/") + QByteArray("x/").repeated(5000) + "a.ico";
        QTest::newRow("invalid utf-8") << QByteArray("@/\xFF\xFE\x80.ico");
        QTest::newRow("invalid utf-8 wildcard") << QByteArray("@/\xC3*\xFF?");
        QTest::newRow("file used as folder") << QByteArray("@/a.ico/*");
        QTest::newRow("separators only") << QByteArray("//\\\\");
    }
    void hostileInputFindsNothing() {
        QFETCH(QByteArray, path);
        const std::string pattern = S(path.replace('@', dir_.path().toUtf8()));
        QVERIFY(!PathExists(pattern, ""));
        QVERIFY(!IsFolderPath(pattern));
        QCOMPARE(Q(GetPathTitle(pattern)), QString());
        QCOMPARE(Q(GetPathFolder(pattern)), QString());
        QCOMPARE(Q(FindFirstMatch(pattern)), QString());
    }
};

QTEST_GUILESS_MAIN(TestPathUtil)
#include "tst_pathutil.moc"

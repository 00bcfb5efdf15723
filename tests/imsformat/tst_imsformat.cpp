#include "imagesets/imsformat.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace gemino;

Q_DECLARE_METATYPE(gemino::ImsReadStatus)

namespace {

QByteArray I32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    QByteArray b;
    for (int shift = 0; shift < 32; shift += 8) {
        b.append(static_cast<char>((u >> shift) & 0xFF));
    }
    return b;
}

// Keeps embedded NULs, which the const char* constructor would stop at.
template <std::size_t N> QByteArray Bytes(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

std::string S(const QByteArray& b) {
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QByteArray B(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// "index|path|text", the path and text decoded from UTF-8.
QStringList Describe(const std::vector<ImsEntry>& entries) {
    QStringList out;
    for (const ImsEntry& e : entries) {
        out << QString::number(e.iconIndex) + "|" + QString::fromStdString(e.sourcePath) + "|" +
                   QString::fromStdString(e.imageText);
    }
    return out;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// A set large enough to take several chunks to save.
std::vector<ImsEntry> LargeSet() {
    std::vector<ImsEntry> entries;
    for (int i = 0; i < 400; ++i) {
        entries.push_back({i, "/pictures/holiday/picture number " + std::to_string(i) + ".png",
                           "Text " + std::to_string(i)});
    }
    return entries;
}

const std::vector<ImsEntry> kPrevious = {{0, "/old/a.ico", "Old"}, {4, "/old/b.icl", ""}};

} // namespace

class TestImsFormat : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Fresh(const QString& name) {
        const QString folder = dir_.filePath(name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return folder;
    }

private slots:
    void handWrittenBytesRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ImsReadStatus>("status");
        QTest::addColumn<int>("announced");
        QTest::addColumn<QStringList>("entries");
        using St = ImsReadStatus;

        QTest::newRow("one icon, the fourth of a library, text Cat")
            << I32(1) + I32(3) + "C:\\Icons\\animals.icl\nCat\n"
            << St::Ok << 1 << QStringList{"3|C:\\Icons\\animals.icl|Cat"};
        QTest::newRow("no text") << I32(1) + I32(0) + "C:\\a.bmp\nME_NONE\n"
                                 << St::Ok << 1 << QStringList{"0|C:\\a.bmp|"};
        QTest::newRow("ME_NONE in any case, nothing else")
            << I32(4) + I32(0) + "a\nme_none\n" + I32(0) + "b\nMe_NoNe\n" + I32(0) +
                   "c\nME_NONE \n" + I32(0) + "d\nME_NONEX\n"
            << St::Ok << 4 << QStringList{"0|a|", "0|b|", "0|c|ME_NONE ", "0|d|ME_NONEX"};
        QTest::newRow("CRLF lines read as LF lines")
            << I32(2) + I32(1) + "/p/a.ico\r\nDog\r\n" + I32(2) + "/p/b.ico\r\nME_NONE\r\n"
            << St::Ok << 2 << QStringList{"1|/p/a.ico|Dog", "2|/p/b.ico|"};
        QTest::newRow("only the CR before the LF is dropped")
            << I32(1) + I32(0) + "/p\rq\n" + "a\rb\r\r\n"
            << St::Ok << 1 << QStringList{"0|/p\rq|a\rb\r"};
        QTest::newRow("little-endian index") << Bytes("\x01\x00\x00\x00"
                                                      "\x04\x03\x02\x01x\ny\n")
                                             << St::Ok << 1 << QStringList{"16909060|x|y"};
        QTest::newRow("negative index") << I32(1) + Bytes("\xFF\xFF\xFF\xFF") + "x\ny\n"
                                        << St::Ok << 1 << QStringList{"-1|x|y"};
        QTest::newRow("Windows path and text in Windows-1252")
            << I32(1) + I32(2) + "C:\\Bilder\\K\xE4se.ico\nFran\xE7ois \x80 5\n"
            << St::Ok << 1 << QStringList{QString::fromUtf8("2|C:\\Bilder\\Käse.ico|François € 5")};
        QTest::newRow("Windows-1252 quotes and the unassigned bytes")
            << I32(1) + I32(0) + "x\n\x93q\x94\x81\x8D\x8F\x90\x9D\n"
            << St::Ok << 1
            << QStringList{QString("0|x|") + QChar(0x201C) + "q" + QChar(0x201D) + QChar(0x81) +
                           QChar(0x8D) + QChar(0x8F) + QChar(0x90) + QChar(0x9D)};
        QTest::newRow("UTF-8 kept")
            << I32(1) + I32(0) + QString::fromUtf8("/home/jürgen/ä.png\nÉté ☀\n").toUtf8() << St::Ok
            << 1 << QStringList{QString::fromUtf8("0|/home/jürgen/ä.png|Été ☀")};
        QTest::newRow("each line decoded on its own")
            << I32(1) + I32(0) + QString::fromUtf8("/ä.ico\n").toUtf8() + "\xE4\n"
            << St::Ok << 1 << QStringList{QString::fromUtf8("0|/ä.ico|ä")};
        QTest::newRow("overlong UTF-8 is not UTF-8")
            << I32(1) + I32(0) + "x\n\xC0\xAF\n"
            << St::Ok << 1 << QStringList{QString::fromUtf8("0|x|À¯")};
        QTest::newRow("encoded surrogate is not UTF-8")
            << I32(1) + I32(0) + "x\n\xED\xA0\x80\n"
            << St::Ok << 1 << QStringList{QString::fromUtf8("0|x|í\u00A0€")};
        QTest::newRow("empty path line") << I32(1) + I32(0) + "\nt\n"
                                         << St::Ok << 1 << QStringList{"0||t"};
        QTest::newRow("last line without its line feed")
            << I32(1) + I32(0) + "/a.ico\nEnd" << St::Ok << 1 << QStringList{"0|/a.ico|End"};
        QTest::newRow("count 0, bytes after it ignored")
            << I32(0) + "junk" << St::Ok << 0 << QStringList{};
        QTest::newRow("negative count") << I32(-5) + I32(0) + "a\nb\n"
                                        << St::Ok << -5 << QStringList{};
        QTest::newRow("bytes after the last entry ignored")
            << I32(1) + I32(0) + "a\nb\n" + "more" << St::Ok << 1 << QStringList{"0|a|b"};
        QTest::newRow("empty file") << QByteArray() << St::NoCount << 0 << QStringList{};
        QTest::newRow("cut in the count") << Bytes("\x01\x00") << St::NoCount << 0 << QStringList{};
        QTest::newRow("count larger than the file") << I32(3) + I32(0) + "a\nb\n"
                                                    << St::Truncated << 3 << QStringList{"0|a|b"};
        QTest::newRow("huge count, nothing after it")
            << I32(INT_MAX) << St::Truncated << INT_MAX << QStringList{};
        QTest::newRow("cut in an index")
            << I32(1) + Bytes("\x01\x00") << St::Truncated << 1 << QStringList{};
        QTest::newRow("text line missing") << I32(1) + I32(0) + "/a.ico\n"
                                           << St::Truncated << 1 << QStringList{};
        QTest::newRow("line at the length limit")
            << I32(1) + I32(0) + QByteArray(kImsMaxLineBytes, 'p') + "\nt\n"
            << St::Ok << 1 << QStringList{"0|" + QString(kImsMaxLineBytes, 'p') + "|t"};
        QTest::newRow("line beyond the length limit")
            << I32(1) + I32(0) + QByteArray(kImsMaxLineBytes + 1, 'p') + "\nt\n"
            << St::LineTooLong << 1 << QStringList{};
    }
    void handWrittenBytesRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(ImsReadStatus, status);
        QFETCH(int, announced);
        QFETCH(QStringList, entries);

        const ImsReadResult fromBytes = ReadImageSet(S(bytes));
        QCOMPARE(fromBytes.status, status);
        QCOMPARE(fromBytes.announced, announced);
        QCOMPARE(Describe(fromBytes.entries), entries);

        // The same bytes from a file.
        const QString path = dir_.filePath("hand.ims");
        QVERIFY(WriteAll(path, bytes));
        const ImsReadResult fromFile = ReadImageSetFile(path.toStdString());
        QCOMPARE(fromFile.status, status);
        QCOMPARE(Describe(fromFile.entries), entries);
    }

    void hugeCountCostsOnlyWhatTheFileHolds() {
        std::istringstream in(S(I32(INT_MAX) + I32(0) + "a\nb\n" + I32(1) + "c\nd\n"));
        const ImsReadResult r = ReadImageSet(in);
        QCOMPARE(r.status, ImsReadStatus::Truncated);
        QCOMPARE(r.entries.size(), std::size_t{2});
        QVERIFY2(r.entries.capacity() <= 64, "the count alone must not size the list");
    }

    void writerBytes_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("icon with text") << 3 << "C:\\Icons\\animals.icl"
                                        << "Cat"
                                        << Bytes("\x01\x00\x00\x00\x03\x00\x00\x00"
                                                 "C:\\Icons\\animals.icl\nCat\n");
        QTest::newRow("no text is ME_NONE") << 0 << "/p/a.bmp"
                                            << ""
                                            << Bytes("\x01\x00\x00\x00\x00\x00\x00\x00"
                                                     "/p/a.bmp\nME_NONE\n");
        QTest::newRow("negative index") << -2 << "x"
                                        << "y" << Bytes("\x01\x00\x00\x00\xFE\xFF\xFF\xFFx\ny\n");
        QTest::newRow("UTF-8") << 1 << QString::fromUtf8("/ä.ico") << QString::fromUtf8("€")
                               << Bytes("\x01\x00\x00\x00\x01\x00\x00\x00/\xC3\xA4.ico\n"
                                        "\xE2\x82\xAC\n");
        QTest::newRow("a text stays on its line") << 0 << "x"
                                                  << "two\nlines\r"
                                                  << Bytes("\x01\x00\x00\x00\x00\x00\x00\x00"
                                                           "x\ntwo lines \n");
    }
    void writerBytes() {
        QFETCH(int, index);
        QFETCH(QString, path);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const std::vector<ImsEntry> entries = {{index, path.toStdString(), text.toStdString()}};
        const std::optional<std::string> encoded = EncodeImageSet(entries);
        QVERIFY(encoded);
        QCOMPARE(B(*encoded), bytes);

        const QString file = dir_.filePath("written.ims");
        QVERIFY(SaveImageSetFile(file.toStdString(), entries).ok());
        QCOMPARE(ReadAll(file), bytes);
    }

    void emptySetIsItsCountAlone() {
        QCOMPARE(B(*EncodeImageSet({})), I32(0));
        std::ostringstream out;
        QVERIFY(WriteImageSet(out, {}));
        QCOMPARE(B(out.str()), I32(0));
    }

    void pathWithALineBreakIsRefused() {
        const std::vector<ImsEntry> entries = {{0, "/a\nb.ico", "t"}};
        QVERIFY(!EncodeImageSet(entries));
        std::ostringstream out;
        QVERIFY(!WriteImageSet(out, entries));
        QVERIFY(out.str().empty());

        const QString folder = Fresh("linebreak");
        const QString file = folder + "/set.ims";
        QCOMPARE(SaveImageSetFile(file.toStdString(), entries).status,
                 ImsSaveStatus::UnwritableEntry);
        QCOMPARE(FolderEntries(folder), QStringList{});
    }

    void writtenSetReadsBack_data() {
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("read");
        QTest::newRow("icons, pictures and texts")
            << QStringList{"0|/pics/a.bmp|Apple", "7|/lib/icons.icl|", "-1|C:\\x.exe|Exe",
                           "2147483647|/no/extension|Big"}
            << QStringList{"0|/pics/a.bmp|Apple", "7|/lib/icons.icl|", "-1|C:\\x.exe|Exe",
                           "2147483647|/no/extension|Big"};
        QTest::newRow("a text spelled ME_NONE comes back empty")
            << QStringList{"1|a|ME_NONE", "2|b|me_None", "3|c|ME_NONE!"}
            << QStringList{"1|a|", "2|b|", "3|c|ME_NONE!"};
        QTest::newRow("non-ASCII") << QStringList{QString::fromUtf8("4|/bilder/Käse.ico|Ça ☕")}
                                   << QStringList{QString::fromUtf8("4|/bilder/Käse.ico|Ça ☕")};
        QTest::newRow("missing files are kept")
            << QStringList{"0|/nowhere/gone.ico|Gone"} << QStringList{"0|/nowhere/gone.ico|Gone"};
    }
    void writtenSetReadsBack() {
        QFETCH(QStringList, written);
        QFETCH(QStringList, read);
        std::vector<ImsEntry> entries;
        for (const QString& row : written) {
            const QStringList f = row.split('|');
            entries.push_back({f[0].toInt(), f[1].toStdString(), f[2].toStdString()});
        }
        const QString file = dir_.filePath("roundtrip.ims");
        QVERIFY(SaveImageSetFile(file.toStdString(), entries).ok());
        const ImsReadResult r = ReadImageSetFile(file.toStdString());
        QVERIFY(r.ok());
        QCOMPARE(r.announced, static_cast<int>(written.size()));
        QCOMPARE(Describe(r.entries), read);
    }

    void unreadableFiles() {
        const QString folder = Fresh("unreadable");
        QCOMPARE(ReadImageSetFile((folder + "/missing.ims").toStdString()).status,
                 ImsReadStatus::CannotOpen);
        QVERIFY(QDir().mkdir(folder + "/folder.ims"));
        QCOMPARE(ReadImageSetFile((folder + "/folder.ims").toStdString()).status,
                 ImsReadStatus::NotAFile);
        QCOMPARE(ReadImageSetFile(std::string()).status, ImsReadStatus::CannotOpen);
        // A NUL would cut the name short and open another file.
        QVERIFY(WriteAll(folder + "/a", I32(0)));
        QCOMPARE(ReadImageSetFile((folder + "/a").toStdString()).status, ImsReadStatus::Ok);
        QCOMPARE(ReadImageSetFile((folder + "/a").toStdString() + std::string("\0b", 2)).status,
                 ImsReadStatus::CannotOpen);
#ifdef Q_OS_UNIX
        // Opening a FIFO for reading would wait for a writer that never comes.
        const QByteArray fifo = QFile::encodeName(folder + "/fifo.ims");
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(ReadImageSetFile(fifo.toStdString()).status, ImsReadStatus::NotAFile);
#endif
    }

    void saveReplacesTheFileWhole() {
        const QString folder = Fresh("replace");
        const QString file = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(file.toStdString(), LargeSet()).ok());
        QVERIFY(SaveImageSetFile(file.toStdString(), kPrevious).ok());
        QCOMPARE(ReadAll(file), B(*EncodeImageSet(kPrevious)));
        QCOMPARE(FolderEntries(folder), QStringList{"set.ims"});
    }

    void interruptedSaveLeavesThePreviousFile() {
        const QString folder = Fresh("interrupted");
        const QString file = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(file.toStdString(), kPrevious).ok());
        const QByteArray before = ReadAll(file);

        std::size_t reached = 0;
        const ImsSaveResult r =
            SaveImageSetFile(file.toStdString(), LargeSet(), [&](std::size_t written) {
                reached = written;
                return written == 0;
            });
        QCOMPARE(r.status, ImsSaveStatus::Interrupted);
        QVERIFY2(reached > 0, "the save must stop part-way, not before it began");
        QCOMPARE(ReadAll(file), before);
        QCOMPARE(FolderEntries(folder), QStringList{"set.ims"});
    }

    void saveAbandonedByAnExceptionLeavesThePreviousFile() {
        const QString folder = Fresh("thrown");
        const QString file = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(file.toStdString(), kPrevious).ok());
        const QByteArray before = ReadAll(file);
        bool thrown = false;
        try {
            SaveImageSetFile(file.toStdString(), LargeSet(), [](std::size_t written) {
                if (written > 0) {
                    throw std::runtime_error("stop");
                }
                return true;
            });
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(ReadAll(file), before);
        QCOMPARE(FolderEntries(folder), QStringList{"set.ims"});
    }

#ifdef Q_OS_UNIX
    void processKilledDuringSaveLeavesThePreviousFile() {
        const QString folder = Fresh("killed");
        const QString file = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(file.toStdString(), kPrevious).ok());
        const QByteArray before = ReadAll(file);

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            SaveImageSetFile(file.toStdString(), LargeSet(), [](std::size_t written) {
                if (written > 0) {
                    ::_exit(0); // dies as a crash would: nothing is cleaned up
                }
                return true;
            });
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(ReadAll(file), before);
        QCOMPARE(Describe(ReadImageSetFile(file.toStdString()).entries), Describe(kPrevious));
        // What the dead save left behind is hidden and does not stand in the next one's way.
        for (const QString& name : FolderEntries(folder)) {
            QVERIFY(name == "set.ims" || name.startsWith('.'));
        }
        QVERIFY(SaveImageSetFile(file.toStdString(), LargeSet()).ok());
        QCOMPARE(ReadImageSetFile(file.toStdString()).entries.size(), LargeSet().size());
    }

    void diskFullDuringSaveLeavesThePreviousFile() {
        const QString folder = Fresh("full");
        const QString file = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(file.toStdString(), kPrevious).ok());
        const QByteArray before = ReadAll(file);

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // Files of this process may not grow beyond 1000 bytes: writes past that fail.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const ImsSaveResult r = SaveImageSetFile(file.toStdString(), LargeSet());
            ::_exit(r.status == ImsSaveStatus::WriteFailed ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the save must report the failure");
        QCOMPARE(ReadAll(file), before);
        QCOMPARE(FolderEntries(folder), QStringList{"set.ims"});
    }

    void saveKeepsPermissionsAndFollowsLinks() {
        const QString folder = Fresh("perms");
        const QString file = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(file.toStdString(), kPrevious).ok());
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(QFile::link(file, folder + "/link.ims"));
        QVERIFY(SaveImageSetFile((folder + "/link.ims").toStdString(), LargeSet()).ok());
        QVERIFY(QFileInfo(folder + "/link.ims").isSymLink());
        QCOMPARE(ReadImageSetFile(file.toStdString()).entries.size(), LargeSet().size());
        QCOMPARE(QFile::permissions(file) &
                     (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ReadOther | QFile::WriteOther),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
#endif

    void saveThatCannotBeMadeOrPlaced() {
        const QString folder = Fresh("failures");
        QCOMPARE(
            SaveImageSetFile((folder + "/no/such/folder/set.ims").toStdString(), kPrevious).status,
            ImsSaveStatus::CannotCreate);
        QCOMPARE(SaveImageSetFile((folder + "/a").toStdString() + std::string("\0b", 2), kPrevious)
                     .status,
                 ImsSaveStatus::CannotCreate);
        QVERIFY(!QFileInfo::exists(folder + "/a"));

        // A folder where the file should go is left as it was.
        QVERIFY(QDir().mkpath(folder + "/taken.ims/inside"));
        const ImsSaveResult r = SaveImageSetFile((folder + "/taken.ims").toStdString(), kPrevious);
        QCOMPARE(r.status, ImsSaveStatus::CannotReplace);
        QVERIFY(!r.detail.empty());
        QVERIFY(QFileInfo(folder + "/taken.ims/inside").isDir());
        QCOMPARE(FolderEntries(folder), QStringList{"taken.ims"});
    }
};

QTEST_APPLESS_MAIN(TestImsFormat)
#include "tst_imsformat.moc"

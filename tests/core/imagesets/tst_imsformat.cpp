#include "core/imagesets/imagedescription.h"
#include "core/imagesets/imsformat.h"
#include "core/imagesets/standardsets.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

using namespace gemino;

Q_DECLARE_METATYPE(gemino::ImsReadStatus)

namespace {

QByteArray I32(std::int32_t v) {
    const std::int32_t le = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&le), sizeof le);
}

// "index|path|text", the path and text decoded from UTF-8.
QStringList describe(const std::vector<ImsEntry>& entries) {
    QStringList out;
    for (const ImsEntry& e : entries) {
        out << QString::number(e.iconIndex) + "|" + QString::fromStdString(e.sourcePath) + "|" +
                   QString::fromStdString(e.imageText);
    }
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestImsFormat : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ImsReadStatus>("status");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("implausible"); // the board takes it for no image set
        using St = ImsReadStatus;

        QTest::newRow("little-endian count and indexes")
            << QByteArray("\x02\0\0\0\x04\x03\x02\x01"
                          "a\nb\n\xFF\xFF\xFF\xFF"
                          "c\nd\n",
                          20)
            << St::Ok << QStringList{"16909060|a|b", "-1|c|d"} << false;
        QTest::newRow("ME_NONE in any case is no text, nothing else is")
            << I32(3) + I32(0) + "a\nme_none\n" + I32(0) + "b\nMe_NoNe\n" + I32(0) + "c\nME_NONE!\n"
            << St::Ok << QStringList{"0|a|", "0|b|", "0|c|ME_NONE!"} << false;
        QTest::newRow("only a CR just before the LF is dropped")
            << I32(2) + I32(0) + "/p\rq\r\na\rb\r\r\n" + I32(0) + "C:\\b.ico\r\nME_NONE\r\n"
            << St::Ok << QStringList{"0|/p\rq|a\rb\r", "0|C:\\b.ico|"} << false;
        QTest::newRow("each line Windows-1252 unless it is UTF-8")
            << I32(1) + I32(2) + "C:\\Bilder\\K\xE4se \x80.ico\n" + QString("Été ☀\n").toUtf8()
            << St::Ok << QStringList{"2|C:\\Bilder\\Käse €.ico|Été ☀"} << false;
        // Every entry takes at least 6 bytes: the count promises far more than the file holds.
        QTest::newRow("count larger than the file could hold")
            << I32(100000) + I32(0) + "a\nb\n" + I32(0) << St::Truncated << QStringList{"0|a|b"}
            << true;
        QTest::newRow("count the file could hold, ending part-way")
            << I32(2) + I32(0) + "a\nb\n" + I32(0) + "c" << St::Truncated << QStringList{"0|a|b"}
            << false;
        QTest::newRow("negative count: no entries") << I32(-7) + I32(0) + "a\nb\n"
                                                    << St::Ok << QStringList{} << true;
        QTest::newRow("zero count: no entries") << I32(0) << St::Ok << QStringList{} << false;
        QTest::newRow("empty file") << QByteArray() << St::NoCount << QStringList{} << false;
        QTest::newRow("line too long for a path")
            << I32(1) + I32(0) + QByteArray(kImsMaxLineBytes + 1, 'p') + "\nt\n"
            << St::LineTooLong << QStringList{} << false;
    }
    void reads() {
        QFETCH(QByteArray, bytes);
        QFETCH(ImsReadStatus, status);
        QFETCH(QStringList, entries);
        QFETCH(bool, implausible);
        const ImsReadResult r = readImageSet(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        QCOMPARE(r.status, status);
        QCOMPARE(describe(r.entries), entries);
        QCOMPARE(r.implausibleCount, implausible);
        // Memory follows the entries read, never the count alone.
        QVERIFY(r.entries.capacity() <= 64);
    }

    // No text is written as ME_NONE, so a text "me_none" reads back as none; texts stay on
    // their line.
    void writesWhatItReads() {
        const QString file = dir_.filePath("set.ims");
        const std::vector<ImsEntry> entries = {
            {-2, "/p/ä.bmp", ""}, {0, "x", "me_none"}, {1, "C:\\b.ico", "two\r\n€"}};
        QVERIFY(saveImageSetFile(file.toStdString(), entries).ok());
        QCOMPARE(readAll(file), I32(3) + I32(-2) + "/p/\xC3\xA4.bmp\nME_NONE\n" + I32(0) +
                                    "x\nme_none\n" + I32(1) + "C:\\b.ico\ntwo  \xE2\x82\xAC\n");
    }

    void failedSavesLeaveThePreviousFileWhole() {
        QTemporaryDir folder;
        const QString file = folder.filePath("set.ims");
        QVERIFY(saveImageSetFile(file.toStdString(), {{0, "/old/a.ico", "Old"}}).ok());
        const QByteArray before = readAll(file);

        // A path with a line break could not be read back.
        QCOMPARE(saveImageSetFile(file.toStdString(), {{0, "/a\nb.ico", "t"}}).status,
                 ImsSaveStatus::UnwritableEntry);
        QCOMPARE(readAll(file), before);

        // Several chunks long, stopped after the first.
        const std::vector<ImsEntry> large(400, {1, std::string(100, 'p'), "Text"});
        std::size_t reached = 0;
        const ImsSaveResult r =
            saveImageSetFile(file.toStdString(), large, [&](std::size_t written) {
                reached = written;
                return written == 0;
            });
        QCOMPARE(r.status, ImsSaveStatus::Interrupted);
        QVERIFY(reached > 0);
        QCOMPARE(readAll(file), before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"set.ims"});
    }

    void picturesInWords_data() {
        // A standard set and an index, or an entry's text, its file and its icon index.
        QTest::addColumn<QStringList>("image");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("words");
        QTest::newRow("misc") << QStringList{"misc"} << 19 << "spade";
        QTest::newRow("traffic") << QStringList{"traffic"} << 19 << "ignition key";
        QTest::newRow("flag, any case") << QStringList{"FLAGS"} << 3 << "flag of Canada";
        QTest::newRow("unknown set") << QStringList{"bogus"} << 0 << "";
        QTest::newRow("past the end") << QStringList{"misc"} << 20 << "";
        QTest::newRow("text wins") << QStringList{"Grandma", "/p/a.bmp"} << -1 << "Grandma";
        QTest::newRow("icon") << QStringList{"", "C:\\Windows\\shell32.dll"} << 4
                              << "shell32, icon 4";
        QTest::newRow("picture") << QStringList{"", "/x.y/sunset.jpeg"} << -1 << "sunset";
        QTest::newRow("dot file") << QStringList{"", "/x/.hidden"} << -1 << ".hidden";
        QTest::newRow("no name") << QStringList{"", "/x/"} << 1 << "picture, icon 1";
    }
    void picturesInWords() {
        QFETCH(QStringList, image);
        QFETCH(int, index);
        const std::string words =
            image.size() == 1
                ? standardImageDescription(image[0].toStdString(), index)
                : describeFileImage(image[0].toStdString(), image[1].toStdString(), index);
        QTEST(QString::fromStdString(words), "words");
    }
};

QTEST_APPLESS_MAIN(TestImsFormat)
#include "tst_imsformat.moc"

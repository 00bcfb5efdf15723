#include "core/imagesets/imagedescription.h"
#include "core/imagesets/imsformat.h"
#include "core/imagesets/pictureheader.h"
#include "core/imagesets/standardsets.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#ifdef Q_OS_UNIX
#include "support/fifowatch.h"
#endif

using namespace gemino;

Q_DECLARE_METATYPE(gemino::ImsReadStatus)
Q_DECLARE_METATYPE(gemino::PictureRefusal)

namespace {

// `n` bytes of v, the most significant first or last.
QByteArray bytesOf(quint32 v, int n, bool bigEndian) {
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        out += char(v >> 8 * (bigEndian ? n - 1 - i : i));
    }
    return out;
}
QByteArray be16(int v) {
    return bytesOf(quint32(v), 2, true);
}
QByteArray be32(quint32 v) {
    return bytesOf(v, 4, true);
}
QByteArray le16(int v) {
    return bytesOf(quint32(v), 2, false);
}
QByteArray le32(quint32 v) {
    return bytesOf(v, 4, false);
}
QByteArray segment(int marker, const QByteArray& payload) {
    return QByteArray("\xFF") + char(marker) + be16(int(payload.size()) + 2) + payload;
}

struct Component {
    int h = 1;
    int v = 1;
};

// SOI, a comment, a frame header and one scan header naming `scanComponents` components;
// `padding` bytes of entropy-coded data follow.
QByteArray jpeg(int sof, int width, int height, std::initializer_list<Component> components,
                int scanComponents, qsizetype padding = 0, int precision = 8) {
    QByteArray frame =
        QByteArray(1, char(precision)) + be16(height) + be16(width) + char(components.size());
    int id = 1;
    for (const Component& c : components) {
        frame += QByteArray(1, char(id++)) + char(c.h << 4 | c.v) + char(0);
    }
    QByteArray scan(1, char(scanComponents));
    for (int i = 1; i <= scanComponents; ++i) {
        scan += QByteArray(1, char(i)) + char(0);
    }
    scan += QByteArray("\x00\x3F\x00", 3);
    return QByteArray("\xFF\xD8") + segment(0xFE, "made here") + segment(sof, frame) +
           segment(0xDA, scan) + QByteArray(padding, '\x2A');
}

// A progressive grey picture of `width` x `height` whose first scan carries the DC values and
// `passes` more scans each run over every block, with a stuffed byte and a restart marker in
// every scan's data.
QByteArray progressivePasses(int width, int height, int passes) {
    QByteArray out = jpeg(0xC2, width, height, {{1, 1}}, 1);
    out.chop(3);
    out += QByteArray("\x00\x00\x00", 3) + QByteArray(width * height / 64 / 8, '\x00');
    for (int i = 0; i < passes; ++i) {
        out += segment(0xDA, QByteArray("\x01\x01\x00\x01\x3F\x00", 6)) +
               QByteArray("\x12\xFF\x00\x34\xFF\xD3\x56", 7);
    }
    return out + "\xFF\xD9";
}

QByteArray png(quint32 width, quint32 height, int depth, int colourType, qsizetype padding = 0) {
    return QByteArray("\x89PNG\r\n\x1A\n") + be32(13) + "IHDR" + be32(width) + be32(height) +
           char(depth) + char(colourType) + QByteArray(3, '\0') + be32(0) +
           QByteArray(padding, '\x2A');
}

QByteArray gif(int screenWidth, int screenHeight, int left, int width) {
    return QByteArray("GIF89a") + le16(screenWidth) + le16(screenHeight) + char(0x80) + '\0' +
           '\0' + QByteArray(6, '\0') + "\x21\xFE\x03" + "abc" + '\0' + ',' + le16(left) + le16(0) +
           le16(width) + le16(10) + '\0' + "\x02\x02\x4C\x01\0;";
}

QByteArray bmp(int headerSize, std::int32_t width, std::int32_t height, int bitCount,
               int compression) {
    QByteArray out = QByteArray("BM") + le32(0) + le32(0) + le32(54) + le32(quint32(headerSize));
    if (headerSize == 12) {
        return out + le16(width) + le16(height) + le16(1) + le16(bitCount) + QByteArray(64, '\0');
    }
    return out + le32(quint32(width)) + le32(quint32(height)) + le16(1) + le16(bitCount) +
           le32(quint32(compression)) + QByteArray(64, '\0');
}

SpanPictureBytes source(const QByteArray& bytes, qsizetype cut = 0) {
    return SpanPictureBytes(std::span(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size() - cut)));
}

PictureCheck check(const QByteArray& bytes, PictureCheckDepth depth = PictureCheckDepth::Header) {
    SpanPictureBytes in = source(bytes);
    return checkPicture(in, depth);
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
            << le32(3) + le32(0) + "a\nme_none\n" + le32(0) + "b\nMe_NoNe\n" + le32(0) +
                   "c\nME_NONE!\n"
            << St::Ok << QStringList{"0|a|", "0|b|", "0|c|ME_NONE!"} << false;
        QTest::newRow("only a CR just before the LF is dropped")
            << le32(2) + le32(0) + "/p\rq\r\na\rb\r\r\n" + le32(0) + "C:\\b.ico\r\nME_NONE\r\n"
            << St::Ok << QStringList{"0|/p\rq|a\rb\r", "0|C:\\b.ico|"} << false;
        QTest::newRow("each line Windows-1252 unless it is UTF-8")
            << le32(1) + le32(2) + "C:\\Bilder\\K\xE4se \x80.ico\n" + QString("Été ☀\n").toUtf8()
            << St::Ok << QStringList{"2|C:\\Bilder\\Käse €.ico|Été ☀"} << false;
        QTest::newRow("overlong UTF-8 is Windows-1252")
            << le32(1) + le32(0) + "\xC0\xAF\nok\n"
            << St::Ok << QStringList{"0|À¯|ok"} << false;
        // Every entry takes at least 6 bytes: the count promises far more than the file holds.
        QTest::newRow("count larger than the file could hold")
            << le32(100000) + le32(0) + "a\nb\n" + le32(0) << St::Truncated << QStringList{"0|a|b"}
            << true;
        QTest::newRow("count the file could hold, ending part-way")
            << le32(2) + le32(0) + "a\nb\n" + le32(0) + "c" << St::Truncated << QStringList{"0|a|b"}
            << false;
        QTest::newRow("negative count: no entries") << le32(-7) + le32(0) + "a\nb\n"
                                                    << St::Ok << QStringList{} << true;
        QTest::newRow("zero count: no entries") << le32(0) << St::Ok << QStringList{} << false;
        QTest::newRow("empty file") << QByteArray() << St::NoCount << QStringList{} << false;
        QTest::newRow("line too long for a path")
            << le32(1) + le32(0) + QByteArray(kImsMaxLineBytes + 1, 'p') + "\nt\n"
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
        QCOMPARE(readAll(file), le32(3) + le32(-2) + "/p/\xC3\xA4.bmp\nME_NONE\n" + le32(0) +
                                    "x\nme_none\n" + le32(1) + "C:\\b.ico\ntwo  \xE2\x82\xAC\n");

        // Saved through a link, the file it names is replaced and keeps its permissions.
        namespace fs = std::filesystem;
        const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
        fs::permissions(file.toStdString(), kept);
        const std::string link = dir_.filePath("link.ims").toStdString();
        fs::create_symlink(file.toStdString(), link);
        QVERIFY(saveImageSetFile(link, {}).ok());
        QVERIFY(fs::is_symlink(link));
        QCOMPARE(readAll(file), le32(0));
        QCOMPARE(fs::status(file.toStdString()).permissions(), kept);
#ifdef Q_OS_UNIX
        // Never opened: reading a FIFO without a writer would block.
        gemino::test::FifoWatch fifo(QStringLiteral("fifo.ims"));
        QCOMPARE(readImageSetFile(QFile::encodeName(fifo.path()).toStdString()).status,
                 ImsReadStatus::NotAFile);
        QVERIFY(!fifo.readerSeen());
#endif
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

    // The checks every picture file passes before a decoder sees it. The hostile files are
    // written here byte by byte: a header is all it takes to make a decoder misbehave.
    void judgesHeaders_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("size"); // "width x height", " progressive"; empty: no header
        QTest::addColumn<PictureRefusal>("refusal");
        using R = PictureRefusal;
        const Component full{1, 1};
        const Component luma{2, 2};

        QTest::newRow("camera JPEG, 4:2:0")
            << jpeg(0xC0, 4000, 3000, {luma, full, full}, 3, 40000) << "4000x3000" << R::None;
        QTest::newRow("tiny progressive JPEG claiming 16000 x 16000")
            << jpeg(0xC2, 16000, 16000, {full, full, full}, 1, 800) << "16000x16000 progressive"
            << R::TooManyPixels;
        QTest::newRow("progressive 8000 x 8000 grey that the file cannot pay for")
            << jpeg(0xC2, 8000, 8000, {full}, 1, 800) << "8000x8000 progressive" << R::TooCostly;
        QTest::newRow("progressive 8000 x 8000 colour: 384 MB of coefficients")
            << jpeg(0xC2, 8000, 8000, {full, full, full}, 1, 4 << 20) << "8000x8000 progressive"
            << R::TooCostly;
        QTest::newRow("sequential with components in separate scans")
            << jpeg(0xC0, 640, 480, {full, full, full}, 1, 100) << "640x480 progressive" << R::None;
        QTest::newRow("12-bit JPEG")
            << jpeg(0xC1, 64, 64, {full}, 1, 10, 12) << "" << R::NotAPicture;
        QTest::newRow("lossless JPEG") << jpeg(0xC3, 64, 64, {full}, 1, 10) << "" << R::NotAPicture;
        QTest::newRow("height left to a DNL marker")
            << jpeg(0xC0, 64, 0, {full}, 1, 10) << "" << R::NotAPicture;
        QTest::newRow("two components")
            << jpeg(0xC0, 64, 64, {full, full}, 2, 10) << "" << R::NotAPicture;
        QTest::newRow("sampling factor 5")
            << jpeg(0xC0, 64, 64, {{5, 1}}, 1, 10) << "" << R::NotAPicture;
        QTest::newRow("scan before any frame")
            << QByteArray("\xFF\xD8") + segment(0xDA, QByteArray("\x01\x01\x00\x00\x3F\x00", 6))
            << "" << R::NotAPicture;
        QTest::newRow("JPEG cut inside its frame header")
            << jpeg(0xC0, 64, 64, {full}, 1).left(20) << "" << R::NotAPicture;

        QTest::newRow("16-bit PNG of 6000 x 6000: 288 MB")
            << png(6000, 6000, 16, 6, 1 << 20) << "6000x6000" << R::TooCostly;
        QTest::newRow("flat 4000 x 3000 PNG its deflate can hold")
            << png(4000, 3000, 8, 2, 40000) << "4000x3000" << R::None;
        QTest::newRow("4000 x 3000 PNG in 500 bytes")
            << png(4000, 3000, 8, 2, 500) << "4000x3000" << R::TooCostly;
        QTest::newRow("PNG wider than any side")
            << png(100000, 10, 8, 0, 1 << 20) << "100000x10" << R::TooManyPixels;
        QTest::newRow("PNG, palette of 16 bits") << png(10, 10, 16, 3) << "" << R::NotAPicture;
        QTest::newRow("PNG of no width") << png(0, 10, 8, 0) << "" << R::NotAPicture;

        QTest::newRow("GIF") << gif(100, 100, 0, 10) << "100x100" << R::None;
        QTest::newRow("GIF frame far beyond its screen")
            << gif(10, 10, 60000, 100) << "60100x10" << R::TooManyPixels;
        QTest::newRow("GIF without an image")
            << QByteArray("GIF87a") + le16(5) + le16(5) + QByteArray(3, '\0') + ";"
            << "" << R::NotAPicture;

        QTest::newRow("BMP, rows top down") << bmp(40, 100, -100, 24, 0) << "100x100" << R::None;
        QTest::newRow("OS/2 BMP of one pixel") << bmp(12, 1, 1, 24, 0).left(30) << "1x1" << R::None;
        QTest::newRow("BMP holding a JPEG") << bmp(40, 100, 100, 24, 4) << "" << R::NotAPicture;
        QTest::newRow("BMP of 7 bits") << bmp(40, 100, 100, 7, 0) << "" << R::NotAPicture;
        QTest::newRow("BMP of no width") << bmp(40, 0, 100, 8, 0) << "" << R::NotAPicture;

        QTest::newRow("SVG after a byte order mark")
            << QByteArray("\xEF\xBB\xBF\n <?xml version='1.0'?><svg/>") << "0x0" << R::None;
        QTest::newRow("SVG larger than 8 MB")
            << QByteArray("<svg>") + QByteArray(8 << 20, ' ') + "</svg>"
            << "0x0" << R::TooLargeFile;
        QTest::newRow("text naming svg late") << QByteArray("hello <svg/>") << "" << R::NotAPicture;
        const auto svgz = [](quint32 length) { // a gzip header and the text's length
            return QByteArray("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10) + QByteArray(8, 'x') +
                   le32(length);
        };
        QTest::newRow("SVGZ") << svgz(4000) << "0x0" << R::None;
        QTest::newRow("SVGZ inflating to a gigabyte") << svgz(1u << 30) << "0x0" << R::TooCostly;
        QTest::newRow("random bytes")
            << QByteArray("\x13\x77\x01\xFE\x42\x99\x00\x10", 8) << "" << R::NotAPicture;
    }
    void judgesHeaders() {
        QFETCH(QByteArray, bytes);
        QFETCH(PictureRefusal, refusal);
        const PictureCheck result = check(bytes);
        QCOMPARE(result.refusal, refusal);
        const auto& h = result.header;
        QTEST(h ? QString("%1x%2%3").arg(h->width).arg(h->height).arg(
                      h->progressive ? " progressive" : "")
                : QString(),
              "size");
        QVERIFY(!h || h->fileBytes == quint64(bytes.size()));
    }

    // The decoder keeps 2 bytes per coefficient, in whole blocks of whole MCUs.
    void estimatesWhatTheDecoderHolds() {
        const auto hostile =
            check(jpeg(0xC2, 16000, 16000, {{1, 1}, {1, 1}, {1, 1}}, 1, 800)).header;
        QVERIFY(hostile);
        // 3 components of 2000 x 2000 blocks (1.5 GB), and the picture it decodes to.
        QCOMPARE(hostile->decodeCost, 3ull * 2000 * 2000 * 128 + 2048ull * 2048 * 4);

        const auto photo = check(jpeg(0xC2, 4000, 3000, {{2, 2}, {1, 1}, {1, 1}}, 1, 40000)).header;
        QVERIFY(photo);
        // 250 x 188 MCUs of 16 x 16 pixels: 4 luma blocks and one of each chroma each.
        const quint64 blocks = 250ull * 188 * (4 + 1 + 1);
        QCOMPARE(photo->decodeCost, blocks * 128 + 2048ull * 2048 * 4);
        QCOMPARE(photo->components, 3);
    }

    void countsTheScansOfAProgressiveJpeg() {
        // 512 x 512 grey: 4096 blocks a pass. Cut short, it counts what it holds.
        for (const auto& [passes, cut, counted] :
             {std::tuple{0, 0, 1}, {3, 0, 4}, {40, 0, 41}, {3, 22, 3}}) {
            const QByteArray bytes = progressivePasses(512, 512, passes);
            SpanPictureBytes in = source(bytes, cut);
            QCOMPARE(jpegBlockVisits(in, *readPictureHeader(in)),
                     std::optional<std::uint64_t>(4096u * counted));
        }
        // A scan naming no component of the frame is junk.
        QByteArray junk = progressivePasses(512, 512, 1);
        junk.replace(QByteArray("\x01\x01\x00\x01\x3F", 5), QByteArray("\x01\x07\x00\x01\x3F", 5));
        QCOMPARE(check(junk, PictureCheckDepth::Full).refusal, PictureRefusal::NotAPicture);
    }

    // Passes that each cost a few bytes: the header alone passes, the walk over the scans
    // refuses the file before a decoder spends minutes on it.
    void refusesScanBombs() {
        // 2048 x 2048 grey: 65536 blocks a pass; 600 passes are 39 million block visits.
        const QByteArray bomb = progressivePasses(2048, 2048, 600);
        QCOMPARE(check(bomb).refusal, PictureRefusal::None);
        QCOMPARE(check(bomb, PictureCheckDepth::Full).refusal, PictureRefusal::TooManyScans);
        QCOMPARE(check(progressivePasses(2048, 2048, 20), PictureCheckDepth::Full).refusal,
                 PictureRefusal::None);
    }
};

QTEST_APPLESS_MAIN(TestImsFormat)
#include "tst_imsformat.moc"

// The checks every picture file passes before a decoder sees it. The hostile files are
// written here byte by byte: a header is all it takes to make a decoder misbehave.
#include "core/imagesets/pictureheader.h"

#include <QByteArray>
#include <QTest>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <tuple>

using namespace gemino;

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

} // namespace

class TestPictureHeader : public QObject {
    Q_OBJECT

private slots:
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

QTEST_APPLESS_MAIN(TestPictureHeader)
#include "tst_pictureheader.moc"

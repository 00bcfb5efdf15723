// Picture files: read by their content whatever their name, hostile headers refused before any
// decoder runs, SVGZ inflated within a bound, PNG images inside icons checked as picture files
// are, and the desktop's shared thumbnail cache read and written as the freedesktop.org
// standard has it. The fixtures are those of tests/core/iconfile (see generate.sh there).
#include "core/imagesets/pictureheader.h"
#include "qt/platform/icondecode.h"
#include "qt/platform/picturefile.h"
#include "qt/platform/thumbnailcache.h"
#include "support/fifowatch.h"
#include "support/iconfixtures.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

using namespace gemino;

namespace {

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray fixture(const QString& name) {
    const std::vector<unsigned char> bytes = test::readIconFixture(name);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// A real picture with detail everywhere, so a stand-in is told from it.
QImage photo(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF));
        }
    }
    return image;
}

QByteArray encoded(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

QByteArray gzipped(const QByteArray& text) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, uLong(text.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.constData()));
    stream.avail_in = uInt(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

const QByteArray kSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                        "<rect width='10' height='10' fill='#0000ff'/></svg>";

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QTemporaryDir cache_;

    QString filePath(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase() {
        qputenv("XDG_CACHE_HOME", cache_.path().toUtf8());
        QCOMPARE(thumbnails::cacheFolder(), cache_.filePath("thumbnails"));
    }

    // Named as another format, each of the 64 x 48 pictures is red, green, blue and yellow
    // clockwise from the top left, and its quadrants land on the square's.
    void picturesFillTheirSquareWhateverTheirName_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("bmp.jpg") << fixture("pic.bmp");
        QTest::newRow("jpeg.png") << fixture("pic.jpg");
        QTest::newRow("png.gif") << fixture("pic.png");
        QTest::newRow("gif.bmp") << fixture("pic.gif");
        QTest::newRow("svg.png") << fixture("pic.svg");
        QTest::newRow("svgz.jpg") << gzipped(fixture("pic.svg"));
    }
    void picturesFillTheirSquareWhateverTheirName() {
        QFETCH(QByteArray, bytes);
        const QString file = filePath(QTest::currentDataTag());
        QVERIFY(writeAll(file, bytes));
        const QImage image = loadPicturePixmap(file, 77).toImage();
        QCOMPARE(image.size(), QSize(77, 77));
        const auto quadrants = image.scaled(2, 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QList<QRgb> colours = {0x800000, 0x008000, 0x808000, 0x000080};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(quadrants.pixel(i % 2, i / 2) & 0x808080, colours[i]);
        }
        QCOMPARE(loadEditorImage(file, 3).size(), QSize(40, 40));
        // No board or list draws a picture this large: refused before it is decoded.
        QVERIFY(loadPicturePixmap(file, 5000).isNull());
        // Each decode gives its share of the memory budget back: far more than it holds still run.
        for (int i = 0; i < 600; ++i) {
            QVERIFY(!loadPictureImage(file, 8).isNull());
        }
    }

    void fifosAreNeverOpened() {
        test::FifoWatch fifo(QStringLiteral("fifo.bmp"));
        QVERIFY(fifo.created());
        QVERIFY(loadPicturePixmap(fifo.path(), 40).isNull());
        QVERIFY(!fifo.readerSeen());
    }

    // The header checks themselves are tst_imsformat's; here, that they come first.
    void refusesWhatNoCellNeeds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("headerPasses");
        const QByteArray png = encoded(photo(64, 64), "png");
        QTest::newRow("PNG claiming 30000 x 30000")
            << QByteArray(png).replace(16, 8, QByteArray("\0\0\x75\x30\0\0\x75\x30", 8)) << false;
        // Its last bytes, the length of a small second member, promise little: the inflating
        // stops at the bound all the same.
        const QByteArray lying =
            gzipped(kSvg.chopped(6) + QByteArray(9 << 20, ' ') + "</svg>") + gzipped(kSvg);
        QTest::newRow("SVGZ lying about its size") << lying << true;
        // Each of 600 scans over the luma blocks costs a few bytes and 65536 block visits.
        QByteArray scans = encoded(photo(2048, 2048), "jpeg", true).chopped(2);
        for (int i = 0; i < 600; ++i) {
            scans += QByteArray("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00\x12\x34", 12);
        }
        QTest::newRow("progressive JPEG of 600 cheap scans") << scans + "\xFF\xD9" << true;
        QTest::newRow("PNG whose data is junk") << png.left(33) + QByteArray(500, '\x5A') << true;
    }
    void refusesWhatNoCellNeeds() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, headerPasses);
        const QString file = filePath(QString("hostile-%1").arg(QTest::currentDataTag()));
        QVERIFY(writeAll(file, bytes));
        QCOMPARE(isUsablePicture(file), headerPasses);
        QVERIFY(loadPictureImage(file, 50).isNull());
    }

    // The thumbnail of a 600 x 400 photo for a 50-pixel cell is its 128 x 85 "normal" one.
    void sharesThumbnailsWithTheDesktop() {
        const QString original = filePath("photo.jpg");
        QVERIFY(writeAll(original, encoded(photo(600, 400), "jpeg")));
        const QString thumbnail = thumbnails::thumbnailPath(original, 128);
        const QByteArray uri = "file://" + QFileInfo(original).absoluteFilePath().toUtf8();
        const qint64 mtime = QFileInfo(original).lastModified().toSecsSinceEpoch();
        QCOMPARE(QFileInfo(thumbnail).fileName(),
                 QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png");
        QCOMPARE(QFileInfo(thumbnail).dir().dirName(), QString("normal"));

        const QImage decoded = loadPictureImage(original, 50);
        QCOMPARE(decoded.size(), QSize(50, 50));
        QImage stored(thumbnail, "png");
        QCOMPARE(stored.size(), QSize(128, 85));
        QCOMPARE(stored.text("Thumb::URI").toUtf8(), uri);
        QCOMPARE(stored.text("Thumb::MTime"), QString::number(mtime));
        // Private to the user: owner bits only (the "user" bits repeat them).
        const auto others = [](const QString& path) {
            return int(QFileInfo(path).permissions() & 0x7077);
        };
        QCOMPARE(others(thumbnail), int(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(others(cache_.filePath("thumbnails")),
                 int(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // Taken from the cache, the picture is the one decoded.
        QCOMPARE(loadPictureImage(original, 50), decoded);

        // What a file manager left there is used: a red picture under the photo's name.
        const auto plant = [&](int side, QSize size, qint64 mtime, QByteArray owner = {}) {
            QImage red(size, QImage::Format_RGB32);
            red.fill(Qt::red);
            red.setText("Thumb::URI", QString::fromUtf8(owner.isEmpty() ? uri : owner));
            red.setText("Thumb::MTime", QString::number(mtime));
            const QString path = thumbnails::thumbnailPath(original, side);
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(red.save(path, "png"));
        };
        plant(128, QSize(128, 85), mtime);
        QCOMPARE(loadPictureImage(original, 50).pixel(25, 25), qRgb(255, 0, 0));
        // One for another version of the file is not.
        plant(128, QSize(128, 85), mtime - 60);
        QCOMPARE(loadPictureImage(original, 50), decoded);
        QCOMPARE(QImage(thumbnail).text("Thumb::MTime"), QString::number(mtime));
        // Nor is one another file left under the photo's name.
        plant(128, QSize(128, 85), mtime, "file:///elsewhere.jpg");
        QCOMPARE(loadPictureImage(original, 50), decoded);
        // One lower or narrower than the cell is passed over, a larger standard size serves.
        for (const QSize small : {QSize(128, 40), QSize(40, 128)}) {
            plant(128, small, mtime);
            plant(256, QSize(256, 170), mtime);
            QCOMPARE(loadPictureImage(original, 50).pixel(25, 25), qRgb(255, 0, 0));
            QVERIFY(QFile::remove(thumbnails::thumbnailPath(original, 256)));
            QCOMPARE(loadPictureImage(original, 50), decoded);
        }

        // A 100-pixel cell needs the "large" size: the 128 x 85 one would not cover it.
        QVERIFY(QFile::remove(thumbnail));
        QVERIFY(!loadPictureImage(original, 100).isNull());
        QVERIFY(!QFile::exists(thumbnail));
        QCOMPARE(QImage(thumbnails::thumbnailPath(original, 256)).size(), QSize(256, 170));

        // Thumbnails are never made of the cache's own files.
        const QString large = thumbnails::thumbnailPath(original, 256);
        QVERIFY(writeAll(large, encoded(photo(256, 170), "png")));
        const QString ofThumbnail = thumbnails::thumbnailPath(large, 128);
        QVERIFY(!loadPictureImage(large, 50).isNull());
        QVERIFY(!QFile::exists(ofThumbnail));
    }

    // A PNG inside an icon passes the same checks as a picture file; a group none of whose
    // images passes has no picture.
    void checksPngImagesInsideIcons() {
        std::vector<unsigned char> ico = test::readIconFixture("png.ico");
        QVERIFY(icoHasPicture(ico));
        ico.at(0x16 + 25) = 7; // a colour type PNG does not have
        QVERIFY(!icoHasPicture(ico));
        QVERIFY(decodeIcoImages(ico).empty());
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"

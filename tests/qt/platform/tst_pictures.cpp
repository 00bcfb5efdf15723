// Picture files: hostile headers refused before any decoder runs, SVGZ inflated within a bound,
// PNG images inside icons checked as picture files are, and the desktop's shared thumbnail
// cache read and written as the freedesktop.org standard has it.
#include "core/imagesets/pictureheader.h"
#include "qt/platform/icondecode.h"
#include "qt/platform/picturefile.h"
#include "qt/platform/thumbnailcache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

using namespace gemino;

namespace {

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

// A real JPEG whose frame header claims another size.
QByteArray claimingSize(QByteArray jpeg, int width, int height) {
    for (const char sof : {'\xC0', '\xC2'}) {
        const qsizetype at = jpeg.indexOf(QByteArray("\xFF") + sof);
        if (at >= 0) {
            jpeg[at + 5] = char(height >> 8);
            jpeg[at + 6] = char(height);
            jpeg[at + 7] = char(width >> 8);
            jpeg[at + 8] = char(width);
        }
    }
    return jpeg;
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

    void refusesWhatNoCellNeeds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("headerPasses");
        const QImage small = photo(64, 64);
        QTest::newRow("progressive JPEG claiming 16000 x 16000")
            << claimingSize(encoded(small, "jpeg", true), 16000, 16000) << false;
        QTest::newRow("JPEG claiming 23000 x 23000")
            << claimingSize(encoded(small, "jpeg"), 23000, 23000) << false;
        QByteArray png = encoded(small, "png");
        png.replace(16, 8, QByteArray("\x00\x00\x75\x30\x00\x00\x75\x30", 8)); // 30000 x 30000
        QTest::newRow("PNG claiming 30000 x 30000") << png << false;
        QTest::newRow("SVGZ inflating to 64 MB")
            << gzipped("<svg xmlns='http://www.w3.org/2000/svg'><!--" + QByteArray(64 << 20, ' ') +
                       "--></svg>")
            << false;
        // Its last bytes, the length of a small second member, promise little: the inflating
        // stops at the bound all the same.
        const QByteArray lying =
            gzipped(kSvg.chopped(6) + QByteArray(9 << 20, ' ') + "</svg>") + gzipped(kSvg);
        QTest::newRow("SVGZ lying about its size") << lying << true;
        QTest::newRow("PNG whose data is junk")
            << encoded(small, "png").left(33) + QByteArray(500, '\x5A') << true;
    }
    void refusesWhatNoCellNeeds() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, headerPasses);
        const QString file = filePath(QString("hostile-%1").arg(QTest::currentDataTag()));
        QVERIFY(writeAll(file, bytes));
        QCOMPARE(isUsablePicture(file), headerPasses);
        QVERIFY(loadPictureImage(file, 50).isNull());
    }

    void readsEveryFormatByItsContent() {
        const QImage picture = photo(40, 30);
        const std::initializer_list<std::pair<const char*, QByteArray>> files = {
            {"bmp.jpg", encoded(picture, "bmp")},
            {"jpeg.png", encoded(picture, "jpeg")},
            {"png.bmp", encoded(picture, "png")},
            {"svg.png", kSvg},
            {"svgz.jpg", gzipped(kSvg)}};
        for (const auto& [name, bytes] : files) {
            QVERIFY(writeAll(filePath(name), bytes));
            const QImage image = loadPictureImage(filePath(name), 33);
            QVERIFY2(image.size() == QSize(33, 33), name);
        }
        QCOMPARE(loadPictureImage(filePath("svg.png"), 20).pixel(10, 10), qRgb(0, 0, 255));
    }

    // The thumbnail of a 600 x 400 photo for a 50-pixel cell is its 128 x 85 "normal" one.
    void sharesThumbnailsWithTheDesktop() {
        const QString original = filePath("photo.jpg");
        QVERIFY(writeAll(original, encoded(photo(600, 400), "jpeg")));
        const QString thumbnail = thumbnails::thumbnailPath(original, 128);
        const QByteArray uri = "file://" + QFileInfo(original).absoluteFilePath().toUtf8();
        QCOMPARE(QFileInfo(thumbnail).fileName(),
                 QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png");
        QCOMPARE(QFileInfo(thumbnail).dir().dirName(), QString("normal"));

        const QImage decoded = loadPictureImage(original, 50);
        QCOMPARE(decoded.size(), QSize(50, 50));
        QImage stored(thumbnail, "png");
        QCOMPARE(stored.size(), QSize(128, 85));
        QCOMPARE(stored.text("Thumb::URI").toUtf8(), uri);
        QCOMPARE(stored.text("Thumb::MTime"),
                 QString::number(QFileInfo(original).lastModified().toSecsSinceEpoch()));
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
        const auto plant = [&](int side, QSize size, qint64 mtime) {
            QImage red(size, QImage::Format_RGB32);
            red.fill(Qt::red);
            red.setText("Thumb::URI", QString::fromUtf8(uri));
            red.setText("Thumb::MTime", QString::number(mtime));
            const QString path = thumbnails::thumbnailPath(original, side);
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(red.save(path, "png"));
        };
        const qint64 mtime = QFileInfo(original).lastModified().toSecsSinceEpoch();
        plant(128, QSize(128, 85), mtime);
        QCOMPARE(loadPictureImage(original, 50).pixel(25, 25), qRgb(255, 0, 0));
        // One for another version of the file is not.
        plant(128, QSize(128, 85), mtime - 60);
        QCOMPARE(loadPictureImage(original, 50), decoded);
        QCOMPARE(QImage(thumbnail).text("Thumb::MTime"), QString::number(mtime));
        // One smaller than the cell is passed over, a larger standard size serves.
        plant(128, QSize(128, 40), mtime);
        plant(256, QSize(256, 170), mtime);
        QCOMPARE(loadPictureImage(original, 50).pixel(25, 25), qRgb(255, 0, 0));
        QVERIFY(QFile::remove(thumbnails::thumbnailPath(original, 256)));
        QCOMPARE(loadPictureImage(original, 50), decoded);

        // A 100-pixel cell needs the "large" size: the 128 x 85 one would not cover it.
        QVERIFY(QFile::remove(thumbnail));
        const QImage forLargeCell = loadPictureImage(original, 100);
        QVERIFY(!QFile::exists(thumbnail));
        QCOMPARE(QImage(thumbnails::thumbnailPath(original, 256)).size(), QSize(256, 170));
        QCOMPARE(loadPictureImage(original, 100), forLargeCell);

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
        const QByteArray ico = readAll(QFINDTESTDATA("../../core/iconfile/fixtures/png.ico"));
        QVERIFY(!ico.isEmpty());
        const auto bytes = [](const QByteArray& b) {
            return std::span(reinterpret_cast<const unsigned char*>(b.constData()),
                             static_cast<std::size_t>(b.size()));
        };
        QVERIFY(icoHasPicture(bytes(ico)));
        QCOMPARE(decodeIcoImages(bytes(ico)).size(), std::size_t(1));
        QByteArray broken = ico;
        broken[0x16 + 25] = 7; // a colour type PNG does not have
        QVERIFY(!icoHasPicture(bytes(broken)));
        QVERIFY(decodeIcoImages(bytes(broken)).empty());
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"

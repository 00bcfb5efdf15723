// Icons and pictures from files. The fixtures come from icotool, windres/ld, ImageMagick and
// makene (see fixtures/generate.sh), so the reader is checked against encoders not ours.
#include "platform/icondecode.h"
#include "platform/iconfile.h"
#include "platform/picturefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Bytes)

namespace {

QString Fixture(const QString& name) {
    return qEnvironmentVariable("GEMINO_SOURCE_DIR", GEMINO_SOURCE_DIR_FALLBACK) +
           QStringLiteral("/tests/iconfile/fixtures/") + name;
}

Bytes ReadAll(const QString& path) {
    QFile file(path);
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return Bytes(data.begin(), data.end());
}

std::uint32_t Get(const Bytes& b, std::size_t at, int n = 4) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) {
        v = v << 8 | b.at(at + std::size_t(i));
    }
    return v;
}

Bytes Patched(Bytes b, std::size_t at, std::uint32_t v, int n = 4) {
    for (int i = 0; i < n; ++i) {
        b.at(at + std::size_t(i)) = static_cast<unsigned char>(v >> (8 * i));
    }
    return b;
}

// The file offset that a walk down a windres library's resource tree leads to: entry path[0]
// of the root, then entry path[1] of the directory that leads to, and so on. With `data`, the
// walk ends at a data entry and goes on to its data. windres starts the tree at its .rsrc
// section and sorts the root: RT_ICON, RT_STRING, RT_GROUP_ICON.
std::size_t PeWalk(const Bytes& pe, std::initializer_list<std::size_t> path, bool data = false) {
    std::size_t section = Get(pe, 0x3C) + 24 + Get(pe, Get(pe, 0x3C) + 20, 2);
    while (std::memcmp(&pe.at(section), ".rsrc", 6) != 0) {
        section += 40;
    }
    const std::size_t root = Get(pe, section + 20);
    std::size_t at = root;
    for (std::size_t i : path) {
        at = root + (Get(pe, at + 16 + 8 * i + 4) & 0x7FFFFFFF);
    }
    return data ? root + Get(pe, at) - Get(pe, section + 12) : at;
}

// Everything an image set does with a container: groups handed out are sound ICO streams no
// larger than the input justifies, and decode to bounded images.
void CheckWholePipeline(std::span<const unsigned char> bytes) {
    auto file = gemino::iconfile::IconFile::FromBytes(bytes);
    QVERIFY(!file.GroupAsIco(file.Count()));
    for (int i = 0; i < std::min(file.Count(), 64); ++i) {
        const auto ico = file.GroupAsIco(i);
        if (ico) {
            const auto images = gemino::iconfile::IcoImages(*ico);
            QVERIFY(!images.empty());
            QVERIFY(ico->size() <= bytes.size() + 6 + 16 * images.size());
            QVERIFY(gemino::DecodeIcoImages(*ico).size() <= images.size());
        }
    }
}

} // namespace

class TestIconFile : public QObject {
    Q_OBJECT

private slots:
    void iconsMatchIcotool_data();
    void iconsMatchIcotool();
    void hostileFilesGiveNoIcons_data();
    void hostileFilesGiveNoIcons();
    void damagedFilesStaySafe_data();
    void damagedFilesStaySafe();
    void fifosAreNeverOpened();
    void picturesFillTheirSquare_data();
    void picturesFillTheirSquare();
};

void TestIconFile::iconsMatchIcotool_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("groups"); // the .ico files they came from, in order
    for (const QString base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
        QTest::newRow(qPrintable(base)) << base + ".ico" << QStringList{base};
    }
    // PE: named groups first as the directory sorts them (APPLE, ZEBRA), then numbers ascending
    // though declared 7, 3, 5, 12; group 5 once, in its first language (German).
    const QStringList pe = {"a32", "bw", "c4", "t24", "multi", "png"};
    QTest::newRow("PE32") << "icons32.dll" << pe;
    QTest::newRow("PE32+") << "icons64.dll" << pe;
    // NE: table order, named or not (1, FLOWER, 2, 9), at offsets shifted by 4.
    QTest::newRow("NE icon library") << "icons.icl" << QStringList{"bw", "c4", "c8", "t24"};
    QTest::newRow("icon library that is PE") << "pe.icl" << QStringList{"c4", "bw"};
    for (const char* none : {"noicons.dll", "pic.bmp", "pic.svg", "generate.sh", "expected"}) {
        QTest::newRow(none) << none << QStringList{};
    }
}

void TestIconFile::iconsMatchIcotool() {
    QFETCH(QString, file);
    QFETCH(QStringList, groups);
    const QString path = Fixture(file);
    QCOMPARE(gemino::FileIconCount(path), groups.size());
    QCOMPARE(gemino::LoadFileIcons(path).size(), groups.size());
    QVERIFY(gemino::LoadFileIcon(path, int(groups.size())).isNull());
    // icotool extracted image N of base.ico as expected/base_N_WxHxD.png.
    const QDir expected(Fixture("expected"));
    for (int i = 0; i < groups.size(); ++i) {
        const auto ico = gemino::iconfile::IconGroupAsIco(path.toStdString(), i);
        QVERIFY(ico);
        const auto images = gemino::DecodeIcoImages(*ico);
        const QStringList names = expected.entryList({groups[i] + "_*.png"});
        QCOMPARE(qsizetype(images.size()), names.size());
        for (qsizetype k = 0; k < names.size() && !QTest::currentTestFailed(); ++k) {
            // Premultiplied, pixels that show nothing compare equal whatever their colour.
            const auto format = QImage::Format_ARGB32_Premultiplied;
            QCOMPARE(images[std::size_t(k)].image.convertToFormat(format),
                     QImage(expected.filePath(names[k])).convertToFormat(format));
        }
    }
    if (file.endsWith(".ico")) { // a sound icon file is handed on as it is
        QVERIFY(gemino::iconfile::IconGroupAsIco(path.toStdString(), 0) == ReadAll(path));
    }
}

void TestIconFile::hostileFilesGiveNoIcons_data() {
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<QList<int>>("images"); // handed out by each group counted
    const QList<int> none;
    const QList<int> one = {1};
    const Bytes pe32 = ReadAll(Fixture("icons32.dll"));
    const Bytes pe64 = ReadAll(Fixture("icons64.dll"));
    // Where entry i of the directory a walk leads to keeps its target.
    const auto target = [&](std::initializer_list<std::size_t> path, std::size_t i) {
        return PeWalk(pe32, path) + 16 + 8 * i + 4;
    };
    const std::size_t group4 = PeWalk(pe32, {2, 4, 0}, true); // multi.ico's four images
    QTest::newRow("group type loops to the root") << Patched(pe32, target({}, 2), 1u << 31) << none;
    QTest::newRow("two groups share their languages")
        << Patched(pe32, target({2}, 1), Get(pe32, target({2}, 0))) << none;
    QTest::newRow("a fourth level") << Patched(pe32, target({2, 0}, 0), 1u << 31) << none;
    QTest::newRow("directory claims 65535 entries")
        << Patched(pe32, PeWalk(pe32, {2}) + 14, 0xFFFF, 2) << none;
    QTest::newRow("65535 sections") << Patched(pe32, Get(pe32, 0x3C) + 6, 0xFFFF, 2) << none;
    QTest::newRow("group data outside every section")
        << Patched(pe64, PeWalk(pe64, {2, 2, 0}), 0xFFFFFF00u) << QList<int>{1, 1, 0, 1, 4, 1};
    QTest::newRow("group claims 65535 images")
        << Patched(pe64, PeWalk(pe64, {2, 4, 0}, true) + 4, 0xFFFF, 2)
        << QList<int>{1, 1, 2, 1, 4, 1};
    QTest::newRow("image named twice")
        << Patched(pe32, group4 + 6 + 14 + 12, Get(pe32, group4 + 6 + 12, 2), 2)
        << QList<int>{1, 1, 2, 1, 3, 1};

    const Bytes icl = ReadAll(Fixture("icons.icl"));
    const std::size_t ne = Get(icl, 0x3C) + Get(icl, Get(icl, 0x3C) + 0x24, 2); // resources
    QTest::newRow("NE shift 255") << Patched(icl, ne, 255, 2) << none;
    QTest::newRow("NE type claims 65535 resources") << Patched(icl, ne + 4, 0xFFFF, 2) << none;

    const Bytes ico = ReadAll(Fixture("bw.ico"));
    QTest::newRow("ICO claims 65535 images") << Patched(ico, 4, 0xFFFF, 2) << one;
    QTest::newRow("ICO image larger than the file") << Patched(ico, 14, ~0u) << none;
    QTest::newRow("cursor file") << Patched(ico, 2, 2, 2) << none;

    // Images that lie in multi.ico, whose other three images still show.
    const Bytes multi = ReadAll(Fixture("multi.ico"));
    const std::size_t dib = Get(multi, 18);          // 16 x 16, 4 bits
    const std::size_t png = Get(multi, 3 * 16 + 18); // 256 x 256, PNG
    const auto pngSide = [&](std::uint32_t side) {
        return Patched(Patched(multi, png + 16, qToBigEndian(side)), png + 20, qToBigEndian(side));
    };
    const QList<int> three = {3};
    QTest::newRow("DIB 100000 pixels wide") << Patched(multi, dib + 4, 100000) << three;
    QTest::newRow("DIB pixels beyond its bytes") << Patched(multi, dib + 8, 400) << three;
    QTest::newRow("DIB colour table of 2^32 entries")
        << Patched(Patched(multi, dib + 32, ~0u), dib + 14, 24, 2) << three;
    QTest::newRow("DIB 7 bits per pixel") << Patched(multi, dib + 14, 7, 2) << three;
    QTest::newRow("PNG claiming 60000 x 60000") << pngSide(60000) << three;
    QTest::newRow("PNG 1024 x 1024 in 2 kB") << pngSide(1024) << three;
}

void TestIconFile::hostileFilesGiveNoIcons() {
    QFETCH(Bytes, bytes);
    QFETCH(QList<int>, images);
    auto file = gemino::iconfile::IconFile::FromBytes(bytes);
    QList<int> given;
    for (int i = 0; i < file.Count(); ++i) {
        const auto ico = file.GroupAsIco(i);
        given.append(ico ? int(gemino::iconfile::IcoImages(*ico).size()) : 0);
    }
    QCOMPARE(given, images);
    CheckWholePipeline(bytes);
}

void TestIconFile::damagedFilesStaySafe_data() {
    QTest::addColumn<QString>("file");
    for (const QString& name : QDir(Fixture("")).entryList({"*.ico", "*.dll", "*.icl"})) {
        QTest::newRow(qPrintable(name)) << name;
    }
    // Inputs that once made the fuzzer fail.
    for (const QString& name :
         QDir(Fixture("fuzz"))
             .entryList({"crash-*", "timeout-*", "oom-*", "slow-unit-*", "leak-*"}, QDir::Files)) {
        QTest::newRow(qPrintable(name)) << "fuzz/" + name;
    }
}

void TestIconFile::damagedFilesStaySafe() {
    QFETCH(QString, file);
    const Bytes whole = ReadAll(Fixture(file));
    const std::size_t step = std::max<std::size_t>(1, whole.size() / 150);
    for (std::size_t cut = 0; cut <= whole.size() && !QTest::currentTestFailed();
         cut += cut < 512 ? 1 : step) {
        CheckWholePipeline({whole.data(), cut});
    }
    std::mt19937 random(static_cast<unsigned>(qHash(file)));
    for (int variant = 0; variant < 150 && !whole.empty() && !QTest::currentTestFailed();
         ++variant) {
        Bytes bytes = whole;
        // Damage lands mostly in the headers and directories, where it matters most.
        const std::size_t region =
            variant % 2 == 0 ? std::min<std::size_t>(bytes.size(), 1024) : bytes.size();
        for (auto flips = 1 + random() % 8; flips > 0; --flips) {
            bytes[random() % region] = static_cast<unsigned char>(random());
        }
        CheckWholePipeline(bytes);
    }
}

void TestIconFile::fifosAreNeverOpened() {
#ifdef Q_OS_UNIX
    // Opening a FIFO for reading waits for a writer. A watcher plays the writer whenever a
    // reader turns up, so a fault ends the wait and shows here instead of hanging the test.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo.ico"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    std::atomic<bool> done = false;
    std::atomic<bool> readerSeen = false;
    std::thread watcher([&] {
        while (!done) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                readerSeen = true;
                ::close(fd);
            }
            std::this_thread::yield();
        }
    });
    const QString path = QString::fromLocal8Bit(fifo);
    const bool refused =
        gemino::FileIconCount(path) == 0 && gemino::LoadBitmapFile(path, 40).isNull();
    done = true;
    watcher.join();
    QVERIFY(refused);
    QVERIFY(!readerSeen);
#else
    QSKIP("no FIFOs here");
#endif
}

void TestIconFile::picturesFillTheirSquare_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Bytes>("content");
    QTest::addColumn<int>("size"); // of the square asked for
    QTest::addColumn<bool>("shown");
    for (const char* file : {"pic.bmp", "pic.jpg", "pic.png", "pic.gif", "pic.svg"}) {
        for (int size : {40, 77}) {
            QTest::addRow("%s at %d", file, size) << file << ReadAll(Fixture(file)) << size << true;
        }
    }
    QTest::newRow("icon named .bmp") << "icon.bmp" << ReadAll(Fixture("bw.ico")) << 40 << false;
    // 4000 x 4000 unpacks to 64 MB, from a PNG of a few kB.
    QImage blank(4000, 4000, QImage::Format_Mono);
    blank.fill(0);
    QByteArray bomb;
    QBuffer buffer(&bomb);
    QVERIFY(blank.save(&buffer, "PNG"));
    QTest::newRow("PNG bomb") << "bomb.png" << Bytes(bomb.begin(), bomb.end()) << 40 << false;
}

void TestIconFile::picturesFillTheirSquare() {
    QFETCH(QString, name);
    QFETCH(Bytes, content);
    QFETCH(int, size);
    QFETCH(bool, shown);
    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(content.data()), qint64(content.size()));
    file.close();
    const QImage image = gemino::LoadBitmapFile(file.fileName(), size).toImage();
    QCOMPARE(!image.isNull(), shown);
    if (shown) {
        QCOMPARE(image.size(), QSize(size, size));
        // The 64 x 48 picture is red, green, blue and yellow clockwise from the top left, and
        // its quadrants land on the square's.
        const QImage quadrants =
            image.scaled(2, 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QList<QRgb> colours = {0x800000, 0x008000, 0x808000, 0x000080};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(quadrants.pixel(i % 2, i / 2) & 0x808080, colours[i]);
        }
        QCOMPARE(gemino::LoadEditorImage(file.fileName(), 3).size(), QSize(40, 40));
    }
}

QTEST_MAIN(TestIconFile)
#include "tst_iconfile.moc"

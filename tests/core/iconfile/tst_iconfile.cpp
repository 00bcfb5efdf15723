// Icons and pictures from files. The fixtures come from icotool, windres/ld, ImageMagick and
// makene (see fixtures/generate.sh), so the reader is checked against encoders not ours.
#include "core/iconfile/iconfile.h"
#include "qt/platform/icondecode.h"
#include "qt/platform/picturefile.h"

#include "support/nemodule.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

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
           QStringLiteral("/tests/core/iconfile/fixtures/") + name;
}

Bytes readAll(const QString& name) {
    QFile file(Fixture(name));
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return Bytes(data.begin(), data.end());
}

using gemino::test::ReadLe;

Bytes Patched(Bytes b, std::size_t at, std::uint32_t v, int n = 4) {
    gemino::test::WriteLe(b, at, v, n);
    return b;
}

// The resource directory that a walk down a windres library's tree leads to: entry path[0] of
// the root, then entry path[1] of the directory that leads to, and so on. windres starts the
// tree at its .rsrc section and sorts the root: RT_ICON, RT_STRING, RT_GROUP_ICON.
std::size_t PeWalk(const Bytes& pe, std::initializer_list<std::size_t> path) {
    std::size_t section = ReadLe(pe, 0x3C) + 24 + ReadLe(pe, ReadLe(pe, 0x3C) + 20, 2);
    while (std::memcmp(&pe.at(section), ".rsrc", 6) != 0) {
        section += 40;
    }
    const std::size_t root = ReadLe(pe, section + 20);
    std::size_t at = root;
    for (std::size_t i : path) {
        at = root + (ReadLe(pe, at + 16 + 8 * i + 4) & 0x7FFFFFFF);
    }
    return at;
}

// Whether every group a container hands out is what an image set relies on: a sound ICO stream
// no larger than the input justifies, that decodes to bounded images.
bool GroupsAreSound(std::span<const unsigned char> bytes) {
    auto file = gemino::iconfile::IconFile::fromBytes(bytes);
    for (int i = 0; i < std::min(file.iconCount(), 64); ++i) {
        if (const auto ico = file.groupAsIco(i)) {
            const auto images = gemino::iconfile::icoImages(*ico);
            if (images.empty() || ico->size() > bytes.size() + 6 + 16 * images.size() ||
                gemino::decodeIcoImages(*ico).size() > images.size()) {
                return false;
            }
        }
    }
    return !file.groupAsIco(file.iconCount());
}

} // namespace

class TestIconFile : public QObject {
    Q_OBJECT

private slots:
    void iconsMatchIcotool_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("groups"); // the .ico files they came from, in order
        for (const QString base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
            QTest::newRow(qPrintable(base)) << base + ".ico" << QStringList{base};
        }
        // PE: named groups first as the directory sorts them (APPLE, ZEBRA), then numbers
        // ascending though declared 7, 3, 5, 12; group 5 once, in its first language (German).
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

    void iconsMatchIcotool() {
        QFETCH(QString, file);
        QFETCH(QStringList, groups);
        QCOMPARE(gemino::fileIconCount(Fixture(file)), groups.size());
        // icotool extracted image N of base.ico as expected/base_N_WxHxD.png.
        const QDir expected(Fixture("expected"));
        for (int i = 0; i < groups.size(); ++i) {
            const auto ico = gemino::iconfile::groupAsIco(Fixture(file).toStdString(), i);
            QVERIFY(ico);
            const auto images = gemino::decodeIcoImages(*ico);
            const QStringList names = expected.entryList({groups[i] + "_*.png"});
            QCOMPARE(qsizetype(images.size()), names.size());
            for (qsizetype k = 0; k < names.size() && !QTest::currentTestFailed(); ++k) {
                // Premultiplied, pixels that show nothing compare equal whatever their colour.
                const auto format = QImage::Format_ARGB32_Premultiplied;
                QCOMPARE(images[std::size_t(k)].image.convertToFormat(format),
                         QImage(expected.filePath(names[k])).convertToFormat(format));
            }
        }
    }

    void damagedFilesStaySafe_data() {
        QTest::addColumn<Bytes>("whole");
        QTest::addColumn<bool>("hostile"); // gives no icons even before any damage
        for (const QString& name : QDir(Fixture("")).entryList({"*.ico", "*.dll", "*.icl"})) {
            QTest::newRow(qPrintable(name)) << readAll(name) << false;
        }
        // Inputs that once made the fuzzer fail, under the names libFuzzer gave them.
        for (const QString& name : QDir(Fixture("fuzz")).entryList({"*-*"}, QDir::Files)) {
            QTest::newRow(qPrintable(name)) << readAll("fuzz/" + name) << false;
        }
        const Bytes pe = readAll("icons32.dll");
        // Entry i of a directory keeps its target at 20 + 8 i; a high bit makes it a directory.
        QTest::newRow("loop to the root") << Patched(pe, PeWalk(pe, {}) + 36, 1u << 31) << true;
        QTest::newRow("a fourth level") << Patched(pe, PeWalk(pe, {2, 0}) + 20, 1u << 31) << true;
        const std::size_t groups = PeWalk(pe, {2}); // the RT_GROUP_ICON directory
        QTest::newRow("two groups share their languages")
            << Patched(pe, groups + 28, ReadLe(pe, groups + 20)) << true;
        QTest::newRow("directory of 65535 groups") << Patched(pe, groups + 14, 0xFFFF, 2) << true;
        const Bytes icl = readAll("icons.icl");
        // The NE resource table starts with the alignment shift.
        const std::size_t ne = ReadLe(icl, 0x3C) + ReadLe(icl, ReadLe(icl, 0x3C) + 0x24, 2);
        QTest::newRow("NE shift 255") << Patched(icl, ne, 255, 2) << true;
    }

    // Every cut of the file and many copies with bytes changed, mostly in the headers and
    // directories where damage matters most.
    void damagedFilesStaySafe() {
        QFETCH(Bytes, whole);
        QFETCH(bool, hostile);
        if (hostile) {
            QCOMPARE(gemino::iconfile::iconCount(whole), 0);
        }
        for (std::size_t cut = 0; cut <= whole.size(); cut += cut < 512 ? 1 : whole.size() / 150) {
            QVERIFY(GroupsAreSound({whole.data(), cut}));
        }
        std::mt19937 random(static_cast<unsigned>(whole.size()));
        for (int variant = 0; variant < 150 && !whole.empty(); ++variant) {
            Bytes bytes = whole;
            const auto region =
                std::min<std::size_t>(whole.size(), variant % 2 ? whole.size() : 1024);
            for (auto flips = 1 + random() % 8; flips > 0; --flips) {
                bytes[random() % region] = static_cast<unsigned char>(random());
            }
            QVERIFY(GroupsAreSound(bytes));
        }
    }

    void fifosAreNeverOpened() {
#ifdef Q_OS_UNIX
        // Opening a FIFO for reading waits for a writer. A watcher plays the writer whenever a
        // reader turns up, so a fault ends the wait and shows here instead of hanging the test.
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath("fifo.ico"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        std::atomic<bool> readerSeen = false;
        std::jthread watcher([&](std::stop_token stop) {
            while (!stop.stop_requested()) {
                const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    readerSeen = true;
                    ::close(fd);
                }
            }
        });
        QCOMPARE(gemino::fileIconCount(QFile::decodeName(fifo)), 0);
        QVERIFY(gemino::loadPicturePixmap(QFile::decodeName(fifo), 40).isNull());
        watcher.request_stop();
        watcher.join();
        QVERIFY(!readerSeen);
#else
        QSKIP("no FIFOs here");
#endif
    }

    void picturesFillTheirSquare_data() {
        QTest::addColumn<QString>("file");
        for (const char* file : {"pic.bmp", "pic.jpg", "pic.png", "pic.gif", "pic.svg"}) {
            QTest::newRow(file) << file;
        }
    }

    void picturesFillTheirSquare() {
        QFETCH(QString, file);
        const QImage image = gemino::loadPicturePixmap(Fixture(file), 77).toImage();
        QCOMPARE(image.size(), QSize(77, 77));
        // The 64 x 48 picture is red, green, blue and yellow clockwise from the top left, and
        // its quadrants land on the square's.
        const auto quadrants = image.scaled(2, 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QList<QRgb> colours = {0x800000, 0x008000, 0x808000, 0x000080};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(quadrants.pixel(i % 2, i / 2) & 0x808080, colours[i]);
        }
        QCOMPARE(gemino::loadEditorImage(Fixture(file), 3).size(), QSize(40, 40));
    }
};

QTEST_MAIN(TestIconFile)
#include "tst_iconfile.moc"

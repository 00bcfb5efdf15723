// Icons and pictures from files. The fixtures come from icotool, windres/ld and ImageMagick
// (see fixtures/generate.sh); NE modules are laid out by nemodule.h from icotool's .ico files.
#include "nemodule.h"

#include "platform/icondecode.h"
#include "platform/iconfile.h"
#include "platform/picturefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using gemino::IconImage;
using gemino::iconfile::IconFile;
using Bytes = std::vector<unsigned char>;

namespace {

QString FixtureDir() {
    const QByteArray root = qgetenv("GEMINO_SOURCE_DIR");
    return QString::fromLocal8Bit(root.isEmpty() ? GEMINO_SOURCE_DIR_FALLBACK : root.constData()) +
           QStringLiteral("/tests/iconfile/fixtures");
}

QString Fixture(const QString& name) {
    return FixtureDir() + QLatin1Char('/') + name;
}

Bytes ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

bool WriteAll(const QString& path, const Bytes& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
               qint64(bytes.size());
}

std::uint32_t Get16(const Bytes& b, std::size_t at) {
    return b.at(at) | (b.at(at + 1) << 8);
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return Get16(b, at) | (Get16(b, at + 2) << 16);
}

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at) = static_cast<unsigned char>(v);
    b.at(at + 1) = static_cast<unsigned char>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// icotool's extraction of every image of `base`.ico, in directory order.
QList<QImage> ExpectedImages(const QString& base) {
    QDir dir(Fixture(QStringLiteral("expected")));
    QStringList names = dir.entryList({base + QStringLiteral("_*.png")}, QDir::Files);
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return a.section(QLatin1Char('_'), -2, -2).toInt() <
               b.section(QLatin1Char('_'), -2, -2).toInt();
    });
    QList<QImage> images;
    for (const QString& name : names) {
        images.append(QImage(dir.filePath(name)).convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

// Pixels agree when their alpha agrees and, where anything shows, their colour does.
QString PixelDifference(const QImage& actualImage, const QImage& expectedImage) {
    const QImage actual = actualImage.convertToFormat(QImage::Format_ARGB32);
    const QImage expected = expectedImage.convertToFormat(QImage::Format_ARGB32);
    if (actual.size() != expected.size()) {
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    }
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            if (qAlpha(a) != qAlpha(e) || (qAlpha(e) != 0 && (a & 0xFFFFFF) != (e & 0xFFFFFF))) {
                return QStringLiteral("pixel %1,%2 is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 8, 16, QLatin1Char('0'))
                    .arg(e, 8, 16, QLatin1Char('0'));
            }
        }
    }
    return {};
}

std::vector<IconImage> DecodeGroup(const QString& path, int index) {
    const auto ico = gemino::iconfile::IconGroupAsIco(path.toStdString(), index);
    return ico ? gemino::DecodeIcoImages(*ico) : std::vector<IconImage>{};
}

void CompareWithIcotool(const std::vector<IconImage>& decoded, const QString& base) {
    const QList<QImage> expected = ExpectedImages(base);
    QVERIFY2(!expected.isEmpty(), qPrintable(base));
    QCOMPARE(decoded.size(), std::size_t(expected.size()));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QString difference = PixelDifference(decoded[std::size_t(i)].image, expected[i]);
        QVERIFY2(difference.isEmpty(),
                 qPrintable(base + QStringLiteral(" image %1: ").arg(i) + difference));
    }
}

// Everything an image set does with a container, checking what comes back: groups handed out
// are sound ICO streams, no larger than the input justifies, and decode to bounded images.
void CheckWholePipeline(std::span<const unsigned char> bytes) {
    auto file = IconFile::FromBytes(bytes);
    const int count = file.Count();
    QVERIFY(count >= 0);
    QVERIFY(!file.GroupAsIco(count));
    for (int i = 0; i < std::min(count, 64); ++i) {
        const auto ico = file.GroupAsIco(i);
        if (!ico) {
            continue;
        }
        const auto images = gemino::iconfile::IcoImages(*ico);
        QVERIFY(!images.empty());
        QVERIFY(ico->size() <= bytes.size() + 6 + 16 * images.size());
        const auto decoded = gemino::DecodeIcoImages(*ico);
        QVERIFY(decoded.size() <= images.size());
        for (const IconImage& image : decoded) {
            QVERIFY(!image.image.isNull());
            QVERIFY(image.image.width() <= gemino::iconfile::kMaxImageSide);
            QVERIFY(image.image.height() <= gemino::iconfile::kMaxImageSide);
        }
    }
    // The same bytes offered to the decoder as an ICO stream.
    for (const IconImage& image : gemino::DecodeIcoImages(bytes)) {
        QVERIFY(image.image.width() <= gemino::iconfile::kMaxImageSide);
    }
}

// Mean colour of what shows, weighted by alpha: tells the sizes of multi.ico apart.
QString DominantColour(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    double r = 0;
    double g = 0;
    double b = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p) * qAlpha(p);
            g += qGreen(p) * qAlpha(p);
            b += qBlue(p) * qAlpha(p);
        }
    }
    if (r > 1.5 * b && g > 1.5 * b && std::min(r, g) > 0.7 * std::max(r, g)) {
        return QStringLiteral("yellow");
    }
    if (r > g && r > b) {
        return QStringLiteral("red");
    }
    return g > b ? QStringLiteral("green") : QStringLiteral("blue");
}

// The file offset of a PE file's resource root, found from its headers.
std::size_t ResourceRoot(const Bytes& pe) {
    const std::size_t header = Get32(pe, 0x3C);
    const std::size_t sections = Get16(pe, header + 6);
    const std::size_t optionalSize = Get16(pe, header + 20);
    const std::size_t optional = header + 24;
    const std::size_t directories = optional + (Get16(pe, optional) == 0x20B ? 112 : 96);
    const std::uint32_t rva = Get32(pe, directories + 16);
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t s = optional + optionalSize + 40 * i;
        const std::uint32_t va = Get32(pe, s + 12);
        if (rva >= va && rva < va + Get32(pe, s + 16)) {
            return Get32(pe, s + 20) + (rva - va);
        }
    }
    return 0;
}

// Entry `i` of the resource directory at `dir` (an offset from the root).
std::size_t DirEntry(const Bytes& pe, std::size_t root, std::size_t dir, std::size_t i) {
    Q_UNUSED(pe);
    return root + dir + 16 + 8 * i;
}

std::size_t EntryNamed(const Bytes& pe, std::size_t root, std::size_t dir, std::uint32_t name) {
    const std::size_t count = Get16(pe, root + dir + 12) + Get16(pe, root + dir + 14);
    for (std::size_t i = 0; i < count; ++i) {
        if (Get32(pe, DirEntry(pe, root, dir, i)) == name) {
            return DirEntry(pe, root, dir, i);
        }
    }
    return 0;
}

std::size_t Subdirectory(const Bytes& pe, std::size_t entry) {
    return Get32(pe, entry + 4) & 0x7FFFFFFF;
}

struct GroupInPe {
    std::size_t root = 0;
    std::size_t typeEntry = 0;
    std::size_t nameEntry = 0;     // of group `index`
    std::size_t languageEntry = 0; // its first language
    std::size_t dataEntry = 0;     // file offset of its IMAGE_RESOURCE_DATA_ENTRY
};

GroupInPe LocateGroup(const Bytes& pe, std::size_t index) {
    GroupInPe g;
    g.root = ResourceRoot(pe);
    g.typeEntry = EntryNamed(pe, g.root, 0, 14);
    const std::size_t names = Subdirectory(pe, g.typeEntry);
    g.nameEntry = DirEntry(pe, g.root, names, index);
    g.languageEntry = DirEntry(pe, g.root, Subdirectory(pe, g.nameEntry), 0);
    g.dataEntry = g.root + Get32(pe, g.languageEntry + 4);
    return g;
}

std::size_t FileOffsetOfRva(const Bytes& pe, std::uint32_t rva) {
    const std::size_t header = Get32(pe, 0x3C);
    const std::size_t optional = header + 24;
    const std::size_t table = optional + Get16(pe, header + 20);
    for (std::size_t i = 0; i < Get16(pe, header + 6); ++i) {
        const std::size_t s = table + 40 * i;
        const std::uint32_t va = Get32(pe, s + 12);
        if (rva >= va && rva < va + Get32(pe, s + 16)) {
            return Get32(pe, s + 20) + (rva - va);
        }
    }
    return 0;
}

// A 16-bit icon image built around ImageMagick's 5-5-5 pixels, with the top-left quarter masked.
Bytes SixteenBitIco(const Bytes& bmp, int& width, int& height) {
    const std::size_t bits = Get32(bmp, 10);
    width = int(Get32(bmp, 18));
    height = int(Get32(bmp, 22));
    const std::size_t stride = (std::size_t(width) * 16 + 31) / 32 * 4;
    const std::size_t maskStride = (std::size_t(width) + 31) / 32 * 4;
    Bytes dib(40);
    Put32(dib, 0, 40);
    Put32(dib, 4, std::uint32_t(width));
    Put32(dib, 8, std::uint32_t(2 * height));
    Put16(dib, 12, 1);
    Put16(dib, 14, 16);
    dib.insert(dib.end(), bmp.begin() + long(bits), bmp.begin() + long(bits + stride * height));
    for (int row = 0; row < height; ++row) { // bottom-up: the last rows are the top of the image
        Bytes mask(maskStride, 0);
        if (row >= height / 2) {
            for (int x = 0; x < width / 2; ++x) {
                mask[std::size_t(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
            }
        }
        dib.insert(dib.end(), mask.begin(), mask.end());
    }
    Bytes ico(22);
    Put16(ico, 2, 1);
    Put16(ico, 4, 1);
    ico[6] = static_cast<unsigned char>(width);
    ico[7] = static_cast<unsigned char>(height);
    Put16(ico, 10, 1);
    Put16(ico, 12, 16);
    Put32(ico, 14, std::uint32_t(dib.size()));
    Put32(ico, 18, 22);
    ico.insert(ico.end(), dib.begin(), dib.end());
    return ico;
}

Bytes PngHeaderClaiming(std::uint32_t width, std::uint32_t height) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png.push_back(static_cast<unsigned char>(v >> shift));
        }
    }
    png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0}); // depth, RGBA, methods, made-up CRC
    return png;
}

// An ICO stream holding exactly `images`, in order.
Bytes IcoOf(const std::vector<Bytes>& images) {
    Bytes ico(6 + 16 * images.size());
    Put16(ico, 2, 1);
    Put16(ico, 4, std::uint32_t(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        Put32(ico, 6 + 16 * i + 8, std::uint32_t(images[i].size()));
        Put32(ico, 6 + 16 * i + 12, std::uint32_t(ico.size()));
        ico.insert(ico.end(), images[i].begin(), images[i].end());
    }
    return ico;
}

QStringList ContainerFixtures() {
    return {"a32.ico",   "bw.ico",      "c4.ico",      "c8.ico",      "t24.ico",   "png.ico",
            "multi.ico", "icons32.dll", "icons64.dll", "noicons.dll", "icons.icl", "pe.icl"};
}

} // namespace

class TestIconFile : public QObject {
    Q_OBJECT

private slots:
    void countsFollowTheShell_data();
    void countsFollowTheShell();
    void groupsComeInDirectoryOrder_data();
    void groupsComeInDirectoryOrder();
    void icoFilePixelsMatchIcotool_data();
    void icoFilePixelsMatchIcotool();
    void neLibrariesHonourShiftAndTableOrder_data();
    void neLibrariesHonourShiftAndTableOrder();
    void sixteenBitImagesDecodeWithTheirMask();
    void thirtyTwoBitImagesWithoutAlphaUseTheirMask();
    void directorySizesYieldToImageHeaders();
    void cellDrawsTheSizeThatSuitsIt_data();
    void cellDrawsTheSizeThatSuitsIt();
    void iconsDrawAtTheSizeAskedFor();
    void fileAndMemoryReadersAgree();
    void largeFileIsReadOnlyWhereNeeded();
    void namesThatAreNotRegularFilesAreRefused();
    void hostileContainersGiveNoIcons_data();
    void hostileContainersGiveNoIcons();
    void hostileImagesAreDropped_data();
    void hostileImagesAreDropped();
    void truncatedFixturesStaySafe_data();
    void truncatedFixturesStaySafe();
    void corruptedFixturesStaySafe_data();
    void corruptedFixturesStaySafe();
    void fuzzRegressionsStaySafe();
    void picturesAreStretchedToTheCell_data();
    void picturesAreStretchedToTheCell();
    void unreadablePicturesGiveNothing_data();
    void unreadablePicturesGiveNothing();
    void editorImagesAreFortyPixels();
    void picturesAreToldByExtension_data();
    void picturesAreToldByExtension();
};

void TestIconFile::countsFollowTheShell_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::newRow("icon file") << "multi.ico" << 1;
    QTest::newRow("1-bit icon file") << "bw.ico" << 1;
    QTest::newRow("PE32 library") << "icons32.dll" << 6;
    QTest::newRow("PE32+ library") << "icons64.dll" << 6;
    QTest::newRow("library without icons") << "noicons.dll" << 0;
    QTest::newRow("NE icon library") << "icons.icl" << 4;
    QTest::newRow("icon library that is PE") << "pe.icl" << 2;
    QTest::newRow("bitmap") << "pic.bmp" << 0;
    QTest::newRow("PNG picture") << "pic.png" << 0;
    QTest::newRow("SVG picture") << "pic.svg" << 0;
    QTest::newRow("shell script") << "generate.sh" << 0;
    QTest::newRow("missing file") << "no such file.dll" << 0;
    QTest::newRow("folder") << "expected" << 0;
}

void TestIconFile::countsFollowTheShell() {
    QFETCH(QString, file);
    QFETCH(int, count);
    QCOMPARE(gemino::FileIconCount(Fixture(file)), count);
    QCOMPARE(gemino::iconfile::IconCount(ReadAll(Fixture(file))), count);
    QCOMPARE(gemino::LoadFileIcons(Fixture(file)).size(), count);
}

void TestIconFile::groupsComeInDirectoryOrder_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("source");
    // Named groups first as the directory sorts them (APPLE, ZEBRA), then numbers ascending
    // though declared 7, 3, 5, 12; group 5 in its first language, German.
    for (const char* dll : {"icons32.dll", "icons64.dll"}) {
        const QString name = QString::fromLatin1(dll);
        QTest::addRow("%s APPLE", dll) << name << 0 << "a32";
        QTest::addRow("%s ZEBRA", dll) << name << 1 << "bw";
        QTest::addRow("%s 3", dll) << name << 2 << "c4";
        QTest::addRow("%s 5 German", dll) << name << 3 << "t24";
        QTest::addRow("%s 7", dll) << name << 4 << "multi";
        QTest::addRow("%s 12", dll) << name << 5 << "png";
    }
    // NE resource tables are taken in table order, named or not.
    QTest::newRow("icl 1") << "icons.icl" << 0 << "bw";
    QTest::newRow("icl FLOWER") << "icons.icl" << 1 << "c4";
    QTest::newRow("icl 2") << "icons.icl" << 2 << "c8";
    QTest::newRow("icl 9") << "icons.icl" << 3 << "t24";
    QTest::newRow("PE icl 1") << "pe.icl" << 0 << "c4";
    QTest::newRow("PE icl 2") << "pe.icl" << 1 << "bw";
}

void TestIconFile::groupsComeInDirectoryOrder() {
    QFETCH(QString, file);
    QFETCH(int, index);
    QFETCH(QString, source);
    CompareWithIcotool(DecodeGroup(Fixture(file), index), source);
}

void TestIconFile::icoFilePixelsMatchIcotool_data() {
    QTest::addColumn<QString>("base");
    for (const char* base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
        QTest::newRow(base) << QString::fromLatin1(base);
    }
}

void TestIconFile::icoFilePixelsMatchIcotool() {
    QFETCH(QString, base);
    const QString path = Fixture(base + QStringLiteral(".ico"));
    CompareWithIcotool(DecodeGroup(path, 0), base);
    if (QTest::currentTestFailed()) {
        return;
    }
    // A sound icon file is handed on as it is; it has no second icon.
    const auto ico = gemino::iconfile::IconGroupAsIco(path.toStdString(), 0);
    QVERIFY(ico);
    QVERIFY(*ico == ReadAll(path));
    QVERIFY(!gemino::iconfile::IconGroupAsIco(path.toStdString(), 1));
    QVERIFY(!gemino::iconfile::IconGroupAsIco(path.toStdString(), -1));
}

void TestIconFile::neLibrariesHonourShiftAndTableOrder_data() {
    QTest::addColumn<unsigned>("shift");
    for (unsigned shift : {0u, 1u, 4u, 9u, 12u}) {
        QTest::addRow("shift %u", shift) << shift;
    }
}

void TestIconFile::neLibrariesHonourShiftAndTableOrder() {
    QFETCH(unsigned, shift);
    const QStringList sources = {"multi", "a32", "bw", "t24"};
    std::vector<gemino::test::NeGroup> groups;
    groups.push_back({"", 40, ReadAll(Fixture("multi.ico"))});
    groups.push_back({"SUN", 0, ReadAll(Fixture("a32.ico"))});
    groups.push_back({"", 2, ReadAll(Fixture("bw.ico"))});
    groups.push_back({"MOON", 0, ReadAll(Fixture("t24.ico"))});
    const Bytes module = gemino::test::BuildNeModule(groups, shift);

    auto file = IconFile::FromBytes(module);
    QCOMPARE(file.container(), gemino::iconfile::Container::Ne);
    QCOMPARE(file.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const auto ico = file.GroupAsIco(i);
        QVERIFY(ico);
        CompareWithIcotool(gemino::DecodeIcoImages(*ico), sources[i]);
    }
}

void TestIconFile::sixteenBitImagesDecodeWithTheirMask() {
    int width = 0;
    int height = 0;
    const Bytes ico = SixteenBitIco(ReadAll(Fixture("g555.bmp")), width, height);
    const auto decoded = gemino::DecodeIcoImages(ico);
    QCOMPARE(decoded.size(), std::size_t(1));
    QCOMPARE(decoded[0].bitCount, 16);

    // ImageMagick's reading of the same pixels, with the masked quarter made transparent.
    QImage expected = QImage(Fixture("g555.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(expected.size(), QSize(width, height));
    for (int y = 0; y < height / 2; ++y) {
        for (int x = 0; x < width / 2; ++x) {
            expected.setPixel(x, y, 0);
        }
    }
    const QString difference = PixelDifference(decoded[0].image, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestIconFile::thirtyTwoBitImagesWithoutAlphaUseTheirMask() {
    // An icon from before alpha: 32-bit pixels whose fourth byte is zero throughout.
    Bytes ico = ReadAll(Fixture("a32.ico"));
    const std::size_t image = Get32(ico, 18);
    const std::size_t pixels = image + Get32(ico, image);
    for (std::size_t i = 0; i < 48 * 48; ++i) {
        ico[pixels + 4 * i + 3] = 0;
    }
    const auto decoded = gemino::DecodeIcoImages(ico);
    QCOMPARE(decoded.size(), std::size_t(1));

    // icotool wrote the mask from its alpha threshold: above 127 shows, the rest is masked.
    QImage expected = ExpectedImages("a32").value(0);
    QVERIFY(!expected.isNull());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb p = expected.pixel(x, y);
            expected.setPixel(x, y, qAlpha(p) > 127 ? (p | 0xFF000000u) : 0u);
        }
    }
    const QString difference = PixelDifference(decoded[0].image, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestIconFile::directorySizesYieldToImageHeaders() {
    const Bytes original = ReadAll(Fixture("multi.ico"));
    Bytes lying = original;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t entry = 6 + 16 * i;
        lying[entry] = 20;
        lying[entry + 1] = 99;
        Put16(lying, entry + 6, 1);
    }
    // Straight from an icon file, and through an icon library whose group directory lies.
    const auto fromIco = gemino::iconfile::IconGroupAsIco(lying, 0);
    const Bytes library = gemino::test::BuildNeModule({{"", 1, lying}}, 4);
    const auto fromLibrary = gemino::iconfile::IconGroupAsIco(library, 0);
    QVERIFY(fromIco);
    QVERIFY(*fromIco == original); // mended, it is the file icotool wrote
    for (const auto& ico : {fromIco, fromLibrary}) {
        QVERIFY(ico);
        const auto decoded = gemino::DecodeIcoImages(*ico);
        QCOMPARE(decoded.size(), std::size_t(4));
        const QList<int> sides = {16, 32, 48, 256};
        const QList<int> depths = {4, 8, 32, 32};
        for (std::size_t i = 0; i < 4; ++i) {
            QCOMPARE(decoded[i].image.size(), QSize(sides[qsizetype(i)], sides[qsizetype(i)]));
            QCOMPARE(decoded[i].bitCount, depths[qsizetype(i)]);
            const std::size_t entry = 6 + 16 * i;
            QVERIFY(std::equal(ico->begin() + long(entry), ico->begin() + long(entry + 8),
                               original.begin() + long(entry)));
        }
    }
}

void TestIconFile::cellDrawsTheSizeThatSuitsIt_data() {
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("colour");
    // multi.ico: 16 red, 32 green, 48 blue, 256 yellow.
    QTest::newRow("8: the smallest that covers") << 8 << "red";
    QTest::newRow("16: exact") << 16 << "red";
    QTest::newRow("20: next larger, shrunk") << 20 << "green";
    QTest::newRow("32: exact") << 32 << "green";
    QTest::newRow("40") << 40 << "blue";
    QTest::newRow("64") << 64 << "yellow";
    QTest::newRow("300: the largest, stretched") << 300 << "yellow";
}

void TestIconFile::cellDrawsTheSizeThatSuitsIt() {
    QFETCH(int, cell);
    QFETCH(QString, colour);
    const auto images = DecodeGroup(Fixture("multi.ico"), 0);
    QCOMPARE(images.size(), std::size_t(4));
    const QImage drawn = gemino::IconCellImage(images, QSize(cell, cell));
    QCOMPARE(drawn.size(), QSize(cell, cell));
    QCOMPARE(DominantColour(drawn), colour);
}

void TestIconFile::iconsDrawAtTheSizeAskedFor() {
    const QIcon icon = gemino::LoadFileIcon(Fixture("icons64.dll"), 4);
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48, 256}) {
        QVERIFY(sizes.contains(QSize(side, side)));
    }
    for (int side : {24, 40, 77, 300}) {
        const QPixmap pixmap = icon.pixmap(QSize(side, side));
        QCOMPARE(pixmap.size(), QSize(side, side));
    }
    // A copy draws the same; an icon that is not there is null, not blank.
    const QIcon copy = icon;
    QCOMPARE(DominantColour(copy.pixmap(QSize(40, 40)).toImage()), QStringLiteral("blue"));
    QVERIFY(gemino::LoadFileIcon(Fixture("icons64.dll"), 6).isNull());
    QVERIFY(gemino::LoadFileIcon(Fixture("noicons.dll"), 0).isNull());
    QVERIFY(gemino::LoadFileIcon(Fixture("pic.bmp"), 0).isNull());

    // Painted into a cell larger than any image, the largest fills the cell: the grey
    // square in its top-left corner reaches the cell's corner.
    QImage painted(300, 300, QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    {
        QPainter painter(&painted);
        icon.paint(&painter, QRect(0, 0, 300, 300));
    }
    QCOMPARE(DominantColour(painted), QStringLiteral("yellow"));
    QVERIFY(qAlpha(painted.pixel(3, 3)) > 0);
}

void TestIconFile::fileAndMemoryReadersAgree() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::mt19937 random(7);
    for (const QString& name : ContainerFixtures()) {
        const Bytes original = ReadAll(Fixture(name));
        for (int variant = 0; variant < 4; ++variant) {
            Bytes bytes = original;
            for (int flips = 0; flips < variant * 3; ++flips) {
                bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
            }
            const QString path = dir.filePath(QStringLiteral("variant"));
            QVERIFY(WriteAll(path, bytes));
            auto fromFile = IconFile::Open(path.toStdString());
            auto fromMemory = IconFile::FromBytes(bytes);
            QCOMPARE(fromFile.Count(), fromMemory.Count());
            for (int i = 0; i < fromMemory.Count(); ++i) {
                QVERIFY2(fromFile.GroupAsIco(i) == fromMemory.GroupAsIco(i), qPrintable(name));
            }
        }
    }
}

void TestIconFile::largeFileIsReadOnlyWhereNeeded() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A library followed by 256 MiB that nothing points into (sparse where the file system
    // allows), and an icon file whose only entry claims 200 MiB of that space.
    constexpr std::uintmax_t kPadding = 256u * 1024 * 1024;
    const QString library = dir.filePath("large.dll");
    QVERIFY(QFile::copy(Fixture("icons64.dll"), library));
    const std::filesystem::path libraryPath = library.toStdString();
    std::filesystem::resize_file(libraryPath, std::filesystem::file_size(libraryPath) + kPadding);

    auto file = IconFile::Open(library.toStdString());
    QCOMPARE(file.Count(), 6);
    for (int i = 0; i < 6; ++i) {
        QVERIFY(file.GroupAsIco(i));
    }
    QVERIFY2(file.BytesRead() < 512 * 1024, qPrintable(QString::number(file.BytesRead())));

    Bytes ico(22);
    Put16(ico, 2, 1);
    Put16(ico, 4, 1);
    Put32(ico, 14, 200u * 1024 * 1024);
    Put32(ico, 18, 22);
    const QString icon = dir.filePath("large.ico");
    QVERIFY(WriteAll(icon, ico));
    std::filesystem::resize_file(icon.toStdString(), kPadding);
    auto large = IconFile::Open(icon.toStdString());
    QCOMPARE(large.Count(), 1);
    QVERIFY(!large.GroupAsIco(0));
    QVERIFY(large.BytesRead() < 512 * 1024);
}

void TestIconFile::namesThatAreNotRegularFilesAreRefused() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(gemino::FileIconCount(dir.path()), 0);
    QVERIFY(gemino::LoadFileIcon(dir.path(), 0).isNull());
    QVERIFY(gemino::LoadBitmapFile(dir.path(), 40).isNull());
#ifdef Q_OS_UNIX
    QCOMPARE(gemino::FileIconCount(QStringLiteral("/dev/zero")), 0);
    QVERIFY(gemino::LoadBitmapFile(QStringLiteral("/dev/zero"), 40).isNull());

    // Opening a FIFO for reading waits for a writer. A watcher plays the writer whenever a
    // reader turns up, so a fault ends the wait and shows here instead of hanging the test.
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
    const int count = gemino::FileIconCount(QString::fromLocal8Bit(fifo));
    const bool iconNull = gemino::LoadFileIcon(QString::fromLocal8Bit(fifo), 0).isNull();
    const bool pictureNull = gemino::LoadBitmapFile(QString::fromLocal8Bit(fifo), 40).isNull();
    done = true;
    watcher.join();
    QCOMPARE(count, 0);
    QVERIFY(iconNull);
    QVERIFY(pictureNull);
    QVERIFY(!readerSeen);

    // A link to a regular file is that file.
    const QString link = dir.filePath("link.ico");
    QVERIFY(QFile::link(Fixture("multi.ico"), link));
    QCOMPARE(gemino::FileIconCount(link), 1);
#endif
}

void TestIconFile::hostileContainersGiveNoIcons_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("usable"); // groups that still give an icon

    const QList<int> all = {0, 1, 2, 3, 4, 5};
    QTest::newRow("untouched") << "icons32.dll"
                               << "none" << 6 << all;
    QTest::newRow("type entry loops to the root") << "icons32.dll"
                                                  << "type-to-root" << 0 << QList<int>{};
    QTest::newRow("name entry loops to its type") << "icons64.dll"
                                                  << "name-to-type" << 0 << QList<int>{};
    QTest::newRow("two names share a language directory") << "icons64.dll"
                                                          << "shared-branch" << 0 << QList<int>{};
    QTest::newRow("a fourth level") << "icons32.dll"
                                    << "language-is-directory" << 0 << QList<int>{};
    QTest::newRow("group name leads straight to data") << "icons32.dll"
                                                       << "name-is-data" << 0 << QList<int>{};
    QTest::newRow("directory claims 65535 entries") << "icons32.dll"
                                                    << "huge-directory" << 0 << QList<int>{};
    QTest::newRow("group data outside every section")
        << "icons64.dll"
        << "group-rva-outside" << 6 << QList<int>{0, 1, 3, 4, 5};
    QTest::newRow("group claims 65535 images") << "icons32.dll"
                                               << "group-count-huge" << 6 << all;
    QTest::newRow("one image named many times") << "icons32.dll"
                                                << "group-repeats-image" << 6 << all;
    QTest::newRow("icon type loops") << "icons32.dll"
                                     << "icon-type-to-root" << 6 << QList<int>{};
    QTest::newRow("header beyond the end") << "icons32.dll"
                                           << "lfanew-outside" << 0 << QList<int>{};
    QTest::newRow("65535 sections") << "icons64.dll"
                                    << "many-sections" << 0 << QList<int>{};
    QTest::newRow("no resource directory") << "icons64.dll"
                                           << "no-resources" << 0 << QList<int>{};
    QTest::newRow("NE shift 255") << "icons.icl"
                                  << "ne-shift-255" << 0 << QList<int>{};
    QTest::newRow("NE shift 24 points beyond the file") << "icons.icl"
                                                        << "ne-shift-24" << 4 << QList<int>{};
    QTest::newRow("NE type claims 65535 resources") << "icons.icl"
                                                    << "ne-count-huge" << 0 << QList<int>{};
    QTest::newRow("NE table cut short") << "icons.icl"
                                        << "ne-unterminated" << 0 << QList<int>{};
    QTest::newRow("NE group image missing") << "icons.icl"
                                            << "ne-image-missing" << 4 << QList<int>{1, 2, 3};
    QTest::newRow("ICO claims 65535 images") << "c4.ico"
                                             << "ico-count-huge" << 1 << QList<int>{0};
    QTest::newRow("ICO image larger than the file") << "bw.ico"
                                                    << "ico-size-huge" << 0 << QList<int>{};
    QTest::newRow("ICO image beyond the end") << "bw.ico"
                                              << "ico-offset-outside" << 0 << QList<int>{};
    QTest::newRow("cursor file") << "bw.ico"
                                 << "ico-is-cursor" << 0 << QList<int>{};
}

void TestIconFile::hostileContainersGiveNoIcons() {
    QFETCH(QString, fixture);
    QFETCH(QString, damage);
    QFETCH(int, count);
    QFETCH(QList<int>, usable);
    Bytes b = ReadAll(Fixture(fixture));
    QVERIFY(!b.empty());
    const bool pe = b[0] == 'M' && Get16(b, Get32(b, 0x3C)) == 0x4550;
    const GroupInPe g = pe ? LocateGroup(b, 0) : GroupInPe{};
    const std::size_t ne = Get32(b, 0x3C);
    const std::size_t table = b[0] == 'M' ? ne + Get16(b, ne + 0x24) : 0;

    const std::map<QString, std::function<void()>> damages = {
        {"none", [] {}},
        {"type-to-root", [&] { Put32(b, g.typeEntry + 4, 0x80000000u); }},
        {"name-to-type", [&] { Put32(b, g.nameEntry + 4, Get32(b, g.typeEntry + 4)); }},
        {"shared-branch", [&] { Put32(b, g.nameEntry + 8 + 4, Get32(b, g.nameEntry + 4)); }},
        {"language-is-directory",
         [&] { Put32(b, g.languageEntry + 4, Get32(b, g.nameEntry + 4)); }},
        {"name-is-data", [&] { Put32(b, g.nameEntry + 4, Get32(b, g.languageEntry + 4)); }},
        {"huge-directory", [&] { Put16(b, g.root + Subdirectory(b, g.typeEntry) + 14, 0xFFFF); }},
        {"group-rva-outside", [&] { Put32(b, LocateGroup(b, 2).dataEntry, 0xFFFFFF00u); }},
        {"group-count-huge",
         [&] { Put16(b, FileOffsetOfRva(b, Get32(b, g.dataEntry)) + 4, 0xFFFF); }},
        {"group-repeats-image",
         [&] {
             // Group 4 (multi.ico) names its first image in all four entries.
             const std::size_t dir = FileOffsetOfRva(b, Get32(b, LocateGroup(b, 4).dataEntry));
             for (std::size_t i = 1; i < 4; ++i) {
                 Put16(b, dir + 6 + 14 * i + 12, Get16(b, dir + 6 + 12));
             }
         }},
        {"icon-type-to-root", [&] { Put32(b, EntryNamed(b, g.root, 0, 3) + 4, 0x80000000u); }},
        {"lfanew-outside", [&] { Put32(b, 0x3C, std::uint32_t(b.size()) - 2); }},
        {"many-sections", [&] { Put16(b, Get32(b, 0x3C) + 6, 0xFFFF); }},
        {"no-resources",
         [&] {
             const std::size_t header = Get32(b, 0x3C);
             Put32(b, header + 24 + 108, 2); // only export and import directories
         }},
        {"ne-shift-255", [&] { Put16(b, table, 255); }},
        {"ne-shift-24", [&] { Put16(b, table, 24); }},
        {"ne-count-huge", [&] { Put16(b, table + 2 + 2, 0xFFFF); }},
        {"ne-unterminated", [&] { b.resize(table + 2 + 8 + 12 * 2); }},
        {"ne-image-missing",
         [&] {
             // bw.ico's only image is RT_ICON 1: renumber it so group 1 finds nothing.
             Put16(b, table + 2 + 8 + 6, 0x8000 | 77);
         }},
        {"ico-count-huge", [&] { Put16(b, 4, 0xFFFF); }},
        {"ico-size-huge", [&] { Put32(b, 14, 0xFFFFFFFFu); }},
        {"ico-offset-outside", [&] { Put32(b, 18, std::uint32_t(b.size())); }},
        {"ico-is-cursor", [&] { Put16(b, 2, 2); }},
    };
    damages.at(damage)();

    auto file = IconFile::FromBytes(b);
    QCOMPARE(file.Count(), count);
    QList<int> gave;
    for (int i = 0; i < count; ++i) {
        const auto ico = file.GroupAsIco(i);
        if (ico && !gemino::DecodeIcoImages(*ico).empty()) {
            gave.append(i);
        }
    }
    QCOMPARE(gave, usable);
    if (damage == "group-repeats-image") {
        QCOMPARE(gemino::iconfile::IcoImages(*gemino::iconfile::IconGroupAsIco(b, 4)).size(),
                 std::size_t(1));
    }
    CheckWholePipeline(b);
}

void TestIconFile::hostileImagesAreDropped_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("kept"); // of the two images: the hostile one, then bw.ico's
    QTest::newRow("sound") << 0 << 2;
    QTest::newRow("DIB 100000 pixels wide") << 1 << 1;
    QTest::newRow("DIB with negative height") << 2 << 1;
    QTest::newRow("DIB pixels beyond its bytes") << 3 << 1;
    QTest::newRow("DIB colour table of 2^32 entries") << 4 << 1;
    QTest::newRow("DIB compressed") << 5 << 1;
    QTest::newRow("DIB 7 bits per pixel") << 6 << 1;
    QTest::newRow("PNG claiming 60000 x 60000") << 7 << 1;
    QTest::newRow("PNG 1024 x 1024 in 60 bytes") << 8 << 1;
    QTest::newRow("PNG signature, no header") << 9 << 1;
}

void TestIconFile::hostileImagesAreDropped() {
    QFETCH(int, kind);
    QFETCH(int, kept);
    const Bytes bwIco = ReadAll(Fixture("bw.ico"));
    const Bytes bw(bwIco.begin() + Get32(bwIco, 18), bwIco.end());
    Bytes hostile = bw;
    switch (kind) {
    case 1:
        Put32(hostile, 4, 100000);
        break;
    case 2:
        Put32(hostile, 8, std::uint32_t(-32));
        break;
    case 3:
        Put32(hostile, 8, 2 * 200);
        break;
    case 4:
        Put32(hostile, 32, 0xFFFFFFFFu);
        Put16(hostile, 14, 24);
        break;
    case 5:
        Put32(hostile, 16, 1);
        break;
    case 6:
        Put16(hostile, 14, 7);
        break;
    case 7:
        hostile = PngHeaderClaiming(60000, 60000);
        break;
    case 8:
        hostile = PngHeaderClaiming(1024, 1024);
        hostile.resize(60);
        break;
    case 9:
        hostile = PngHeaderClaiming(16, 16);
        hostile.resize(12);
        break;
    default:
        break;
    }
    const Bytes ico = IcoOf({hostile, bw});
    QCOMPARE(gemino::iconfile::IcoImages(ico).size(), std::size_t(kept));
    const auto rebuilt = gemino::iconfile::IconGroupAsIco(ico, 0);
    QVERIFY(rebuilt);
    QCOMPARE(gemino::DecodeIcoImages(*rebuilt).size(), std::size_t(kept));
    CheckWholePipeline(ico);
}

void TestIconFile::truncatedFixturesStaySafe_data() {
    QTest::addColumn<QString>("file");
    for (const QString& name : ContainerFixtures()) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void TestIconFile::truncatedFixturesStaySafe() {
    QFETCH(QString, file);
    const Bytes whole = ReadAll(Fixture(file));
    const int fullCount = gemino::iconfile::IconCount(whole);
    const std::size_t step = std::max<std::size_t>(1, whole.size() / 150);
    for (std::size_t cut = 0; cut < whole.size(); cut += cut < 512 ? 1 : step) {
        const std::span<const unsigned char> part(whole.data(), cut);
        QVERIFY(gemino::iconfile::IconCount(part) <= fullCount);
        CheckWholePipeline(part);
        if (QTest::currentTestFailed()) {
            qWarning("failed at %zu bytes", cut);
            return;
        }
    }
}

void TestIconFile::corruptedFixturesStaySafe_data() {
    truncatedFixturesStaySafe_data();
}

void TestIconFile::corruptedFixturesStaySafe() {
    QFETCH(QString, file);
    const Bytes whole = ReadAll(Fixture(file));
    std::mt19937 random(static_cast<unsigned>(qHash(file)));
    for (int variant = 0; variant < 150; ++variant) {
        Bytes bytes = whole;
        // Damage lands mostly in the headers and directories, where it matters most.
        const std::size_t region =
            variant % 2 == 0 ? std::min<std::size_t>(bytes.size(), 1024) : bytes.size();
        const int flips = 1 + int(random() % 8);
        for (int i = 0; i < flips; ++i) {
            bytes[random() % region] = static_cast<unsigned char>(random());
        }
        CheckWholePipeline(bytes);
        if (QTest::currentTestFailed()) {
            return;
        }
    }
}

void TestIconFile::fuzzRegressionsStaySafe() {
    const QDir dir(Fixture("fuzz"));
    const QStringList inputs =
        dir.entryList(QDir::Files)
            .filter(QRegularExpression("^(crash|timeout|oom|slow-unit|leak)-"));
    if (inputs.isEmpty()) {
        QSKIP("the fuzzer has not failed yet");
    }
    for (const QString& name : inputs) {
        const Bytes bytes = ReadAll(dir.filePath(name));
        CheckWholePipeline(bytes);
        QVERIFY2(!QTest::currentTestFailed(), qPrintable(name));
        // From the file too: the reader over a file takes another road to the same bytes.
        auto file = IconFile::Open(dir.filePath(name).toStdString());
        QCOMPARE(file.Count(), gemino::iconfile::IconCount(bytes));
        for (int i = 0; i < std::min(file.Count(), 64); ++i) {
            QVERIFY(file.GroupAsIco(i) == gemino::iconfile::IconGroupAsIco(bytes, i));
        }
    }
}

void TestIconFile::picturesAreStretchedToTheCell_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("size");
    for (const char* file : {"pic.bmp", "pic.jpg", "pic.png", "pic.gif", "pic.svg"}) {
        for (int size : {40, 77}) {
            QTest::addRow("%s at %d", file, size) << QString::fromLatin1(file) << size;
        }
    }
}

void TestIconFile::picturesAreStretchedToTheCell() {
    QFETCH(QString, file);
    QFETCH(int, size);
    const QPixmap pixmap = gemino::LoadBitmapFile(Fixture(file), size);
    QCOMPARE(pixmap.size(), QSize(size, size));
    const QImage image = pixmap.toImage();
    // The 64 x 48 picture fills the square: its quadrants land on the square's quadrants.
    const auto near = [](QRgb p, QRgb want) {
        return std::abs(qRed(p) - qRed(want)) < 40 && std::abs(qGreen(p) - qGreen(want)) < 40 &&
               std::abs(qBlue(p) - qBlue(want)) < 40;
    };
    const int a = size / 4;
    const int b = size - 1 - size / 4;
    QVERIFY(near(image.pixel(a, a), qRgb(255, 0, 0)));
    QVERIFY(near(image.pixel(b, a), qRgb(0, 255, 0)));
    QVERIFY(near(image.pixel(a, b), qRgb(255, 255, 0)));
    QVERIFY(near(image.pixel(b, b), qRgb(0, 0, 255)));
}

void TestIconFile::unreadablePicturesGiveNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("size");
    const Bytes png = ReadAll(Fixture("pic.png"));
    const QByteArray pngBytes(reinterpret_cast<const char*>(png.data()), qsizetype(png.size()));
    const Bytes ico = ReadAll(Fixture("bw.ico"));
    const QByteArray icoBytes(reinterpret_cast<const char*>(ico.data()), qsizetype(ico.size()));
    const Bytes bomb = PngHeaderClaiming(60000, 60000);
    const Bytes bmp = ReadAll(Fixture("pic.bmp"));
    QByteArray hugeBmp(reinterpret_cast<const char*>(bmp.data()), 54);
    hugeBmp[18] = hugeBmp[19] = hugeBmp[22] = hugeBmp[23] = char(0x7F);

    QTest::newRow("text named .bmp") << "text.bmp" << QByteArray("not a picture\n") << 40;
    QTest::newRow("icon named .bmp: not a picture format") << "icon.bmp" << icoBytes << 40;
    QTest::newRow("empty file") << "empty.jpg" << QByteArray() << 40;
    QTest::newRow("PNG cut short") << "cut.png" << pngBytes.left(40) << 40;
    QTest::newRow("PNG claiming 60000 x 60000")
        << "bomb.png"
        << QByteArray(reinterpret_cast<const char*>(bomb.data()), qsizetype(bomb.size())) << 40;
    QTest::newRow("BMP claiming 32639 x 32639") << "huge.bmp" << hugeBmp << 40;
    QTest::newRow("no size") << "fine.png" << pngBytes << 0;
    QTest::newRow("negative size") << "fine2.png" << pngBytes << -5;
}

void TestIconFile::unreadablePicturesGiveNothing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, size);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QVERIFY(gemino::LoadBitmapFile(file.fileName(), size).isNull());
    QVERIFY(gemino::LoadPictureImage(file.fileName(), size).isNull());
    QVERIFY(gemino::LoadBitmapFile(dir.filePath("missing.bmp"), 40).isNull());
}

void TestIconFile::editorImagesAreFortyPixels() {
    const QPixmap bitmap = gemino::LoadEditorImage(Fixture("pic.bmp"), 0);
    QCOMPARE(bitmap.size(), QSize(40, 40));
    const QPixmap svg = gemino::LoadEditorImage(Fixture("pic.svg"), 3);
    QCOMPARE(svg.size(), QSize(40, 40));
    const QPixmap icon = gemino::LoadEditorImage(Fixture("icons32.dll"), 4);
    QCOMPARE(icon.size(), QSize(40, 40));
    QCOMPARE(DominantColour(icon.toImage()), QStringLiteral("blue")); // the 48 shrunk to 40
    QVERIFY(gemino::LoadEditorImage(Fixture("noicons.dll"), 0).isNull());
    QVERIFY(gemino::LoadEditorImage(Fixture("icons32.dll"), 6).isNull());
    QCOMPARE(gemino::LoadEditorImage(Fixture("g555.png"), 0).size(), QSize(40, 40));
}

void TestIconFile::picturesAreToldByExtension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("picture");
    QTest::newRow("bmp") << "C:/pics/cat.bmp" << true;
    QTest::newRow("BMP capitals") << "/home/a/CAT.BMP" << true;
    QTest::newRow("jpg") << "cat.jpg" << true;
    QTest::newRow("jpeg") << "cat.jpeg" << true;
    QTest::newRow("png") << "cat.Png" << true;
    QTest::newRow("gif") << "cat.gif" << true;
    QTest::newRow("svg") << "cat.svg" << true;
    QTest::newRow("ico") << "cat.ico" << false;
    QTest::newRow("icl") << "cats.icl" << false;
    QTest::newRow("dll") << "shell.dll" << false;
    QTest::newRow("no extension") << "/home/a/cat" << false;
    QTest::newRow("dot only in a folder name") << "/home/a.png/cat" << false;
}

void TestIconFile::picturesAreToldByExtension() {
    QFETCH(QString, path);
    QFETCH(bool, picture);
    QCOMPARE(gemino::IsPictureFile(path), picture);
}

QTEST_MAIN(TestIconFile)
#include "tst_iconfile.moc"

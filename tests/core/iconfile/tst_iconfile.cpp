// The icon reader against containers made by tools not ours (see fixtures/generate.sh):
// icotool, windres/ld and makene. tests/qt/platform checks what the images decode to.
#include "core/iconfile/iconfile.h"
#include "core/iconfile/reader.h"

#include "support/iconfixtures.h"
#include "support/nemodule.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstring>
#include <random>
#include <tuple>

#ifdef Q_OS_UNIX
#include "support/fifowatch.h"
#endif

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Bytes)

namespace {

using gemino::test::readIconFixture;
using gemino::test::readLe;

Bytes patched(Bytes b, std::size_t at, std::uint32_t v, int n = 4) {
    gemino::test::writeLe(b, at, v, n);
    return b;
}

// The file offset of entry `i` of the resource directory a walk down a PE module's tree leads
// to: entry path[0] of the root, then entry path[1] of the directory that leads to, and so on.
std::size_t resourceEntry(const Bytes& pe, std::initializer_list<std::size_t> path, std::size_t i) {
    const std::size_t header = readLe(pe, 0x3C);
    std::size_t section = header + 24 + readLe(pe, header + 20, 2);
    while (std::memcmp(&pe.at(section), ".rsrc", 6) != 0) {
        section += 40;
    }
    const std::size_t root = readLe(pe, section + 20);
    std::size_t at = root;
    for (std::size_t step : path) {
        at = root + (readLe(pe, at + 16 + 8 * step + 4) & 0x7FFFFFFF);
    }
    return at + 16 + 8 * i;
}

// From windres: the root lists RT_ICON (images 1 to 11), RT_STRING, RT_GROUP_ICON; groups
// APPLE (a32), ZEBRA (bw), 3 (c4), 5 (t24 in German, then c8 in U.S. English), 7 (multi),
// 12 (png). Group 5's U.S. English directory names image 9, its German one image 10.
const QStringList kPeGroups = {"a32", "bw", "c4", "c8", "multi", "png"};

// The windres module with entries renamed: each change is a path, an entry and its new name.
Bytes renamed(std::initializer_list<
              std::tuple<std::initializer_list<std::size_t>, std::size_t, std::uint32_t>>
                  changes) {
    Bytes pe = readIconFixture("icons32.dll");
    for (const auto& [path, i, name] : changes) {
        gemino::test::writeLe(pe, resourceEntry(pe, path, i), name, 4);
    }
    return pe;
}

// Whether an ICO stream holds the images of another, byte for byte and in order; an NE module
// pads each image to its alignment.
bool sameImages(std::span<const unsigned char> ico, std::span<const unsigned char> original) {
    const auto images = gemino::iconfile::icoImages(ico);
    const auto expected = gemino::iconfile::icoImages(original);
    return !images.empty() &&
           std::equal(images.begin(), images.end(), expected.begin(), expected.end(),
                      [](const auto& a, const auto& b) {
                          return a.data.size() >= b.data.size() &&
                                 std::ranges::equal(a.data.first(b.data.size()), b.data);
                      });
}

// Whether every group a container hands out is what an image set relies on: a sound ICO stream
// no larger than the input justifies, whose DIB images decode.
bool groupsAreSound(std::span<const unsigned char> bytes) {
    auto file = gemino::iconfile::IconFile::fromBytes(bytes);
    for (int i = 0; i < std::min(file.iconCount(), 64); ++i) {
        const auto ico = file.groupAsIco(i);
        if (!ico) {
            continue;
        }
        const auto images = gemino::iconfile::icoImages(*ico);
        if (images.empty() || ico->size() > bytes.size() + 6 + 16 * images.size()) {
            return false;
        }
        for (const auto& image : images) {
            if (image.info.png) {
                continue;
            }
            std::vector<std::uint32_t> pixels(std::size_t(image.info.width) *
                                              std::size_t(image.info.height));
            if (!gemino::iconfile::decodeDib(image.data, pixels.data(),
                                             std::size_t(image.info.width))) {
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
    // Each group is the images of the .ico file it was made of, in order ("": a group with no
    // image left), and no cut or damaged copy of the file hands out a group that is not sound.
    void groupsMatchTheirIcoFiles_data() {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QStringList>("groups"); // the .ico files they came from, in order
        for (const QString base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
            QTest::newRow(qPrintable(base + ".ico"))
                << readIconFixture(base + ".ico") << QStringList{base};
        }
        // PE: named groups first as the directory sorts them (APPLE, ZEBRA), then numbers
        // ascending though declared 7, 3, 5, 12; group 5 once. Of a group's or an image's
        // languages Windows takes neutral, then U.S. English, then the first.
        QTest::newRow("PE32") << readIconFixture("icons32.dll") << kPeGroups;
        QTest::newRow("PE32+") << readIconFixture("icons64.dll") << kPeGroups;
        QStringList german = kPeGroups;
        german[3] = "t24";
        QTest::newRow("group: neutral after U.S. English")
            << renamed({{{2, 3}, 0, 0x409}, {{2, 3}, 1, 0}}) << kPeGroups;
        QTest::newRow("group: neither") << renamed({{{2, 3}, 1, 0x809}}) << german;
        // Image 10 (German, t24) renamed to 9, so image 9 comes in two languages.
        QTest::newRow("image: neutral after U.S. English")
            << renamed({{{0}, 9, 9}, {{0, 9}, 0, 0}}) << german;
        QTest::newRow("image: U.S. English after another")
            << renamed({{{0}, 9, 9}, {{0, 8}, 0, 0x807}, {{0, 9}, 0, 0x409}}) << german;
        // NE: table order, named or not (1, FLOWER, 2, 9), at offsets shifted by 4.
        QTest::newRow("NE icon library")
            << readIconFixture("icons.icl") << QStringList{"bw", "c4", "c8", "t24"};
        QTest::newRow("icon library that is PE")
            << readIconFixture("pe.icl") << QStringList{"c4", "bw"};
        for (const char* none : {"noicons.dll", "pic.bmp", "pic.svg", "generate.sh"}) {
            QTest::newRow(none) << readIconFixture(none) << QStringList{};
        }
        QTest::newRow("ICO naming an image past its end")
            << patched(readIconFixture("bw.ico"), 18, 0x10000) << QStringList{};
        // Modules whose directories loop, share a branch or are out of bounds: each fault costs
        // only the groups or images behind it. Entry i of the directory at `from` made to lead to
        // the directory at `to`:
        const Bytes pe = readIconFixture("icons32.dll");
        const auto linked = [&pe](std::initializer_list<std::size_t> from, std::size_t i,
                                  std::initializer_list<std::size_t> to) {
            return patched(pe, resourceEntry(pe, from, i) + 4,
                           0x80000000u | (resourceEntry(pe, to, 0) - resourceEntry(pe, {}, 0)));
        };
        QTest::newRow("groups lead back to the root") << linked({}, 2, {}) << QStringList{};
        QTest::newRow("images lead back to the root")
            << linked({}, 0, {}) << QStringList{"", "", "", "", "", ""};
        QTest::newRow("a group's language leads to the root")
            << linked({2, 0}, 0, {}) << kPeGroups.mid(1);
        QTest::newRow("two groups share their languages")
            << linked({2}, 1, {2, 0}) << QStringList{"a32", "c4", "c8", "multi", "png"};
        QTest::newRow("two images share their languages")
            << linked({0}, 8, {0, 0}) << QStringList{"a32", "bw", "c4", "", "multi", "png"};
        QTest::newRow("directory of 65535 groups")
            << patched(pe, resourceEntry(pe, {2}, 0) - 2, 0xFFFF, 2) << QStringList{};
        // The NE resource table starts with the alignment shift.
        const Bytes icl = readIconFixture("icons.icl");
        const std::size_t ne = readLe(icl, 0x3C) + readLe(icl, readLe(icl, 0x3C) + 0x24, 2);
        QTest::newRow("NE shift 255") << patched(icl, ne, 255, 2) << QStringList{};
    }

    void groupsMatchTheirIcoFiles() {
        QFETCH(Bytes, bytes);
        QFETCH(QStringList, groups);
        auto file = gemino::iconfile::IconFile::fromBytes(bytes);
        QCOMPARE(file.iconCount(), groups.size());
        for (int i = 0; i < groups.size(); ++i) {
            const auto ico = file.groupAsIco(i);
            QCOMPARE(bool(ico), !groups[i].isEmpty());
            QVERIFY2(!ico || sameImages(*ico, readIconFixture(groups[i] + ".ico")),
                     qPrintable(groups[i]));
            if (QByteArray(QTest::currentDataTag()).endsWith(".ico")) {
                QVERIFY(*ico == bytes); // icotool's own layout, as it was
            }
        }
        QVERIFY(!file.groupAsIco(int(groups.size())));

        // Every cut of the file and many copies with bytes changed, mostly in the headers and
        // directories where damage matters most.
        for (std::size_t cut = 0; cut <= bytes.size(); cut += cut < 512 ? 1 : bytes.size() / 150) {
            QVERIFY(groupsAreSound({bytes.data(), cut}));
        }
        std::mt19937 random(static_cast<unsigned>(bytes.size()));
        for (int variant = 0; variant < 150 && !bytes.empty(); ++variant) {
            Bytes damaged = bytes;
            const auto region =
                std::min<std::size_t>(bytes.size(), variant % 2 ? bytes.size() : 1024);
            for (auto flips = 1 + random() % 8; flips > 0; --flips) {
                bytes[random() % region] = static_cast<unsigned char>(random());
            }
            QVERIFY(groupsAreSound(bytes));
        }
    }

    // Limits that only hostile files reach: PNG sides and sizes, the pixels of a group, an
    // image named twice, a count beyond the file, what one reader hands out in all. And a
    // 32-bit image without alpha is drawn through its mask.
    void limitsHoldOnCraftedInput() {
        using gemino::iconfile::icoImages;
        // A square PNG, or one of `side` x `height`.
        const auto png = [](std::uint32_t side, std::size_t size, std::uint32_t height = 0) {
            Bytes bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,
                           0,    0,   0,   13,  'I',  'H',  'D',  'R'};
            for (const int shift : {24, 16, 8, 0, 56, 48, 40, 32}) {
                const std::uint64_t sides = (std::uint64_t{height ? height : side} << 32) | side;
                bytes.push_back(static_cast<unsigned char>(sides >> shift));
            }
            bytes.resize(size);
            return bytes;
        };
        // One image named by `entries` directory entries; the count field says `claimed`.
        const auto ico = [](const Bytes& image, std::size_t entries, std::uint32_t claimed) {
            Bytes bytes = patched(patched(Bytes(6 + 16 * entries), 2, 1, 2), 4, claimed, 2);
            for (std::size_t i = 0; i < entries; ++i) {
                bytes = patched(patched(bytes, 14 + 16 * i, std::uint32_t(image.size())),
                                18 + 16 * i, std::uint32_t(bytes.size()));
            }
            bytes.insert(bytes.end(), image.begin(), image.end());
            return bytes;
        };
        QCOMPARE(icoImages(ico(png(2000, 20000, 16), 1, 1)).size(), std::size_t(0));
        QCOMPARE(icoImages(ico(png(16, 20000, 2000), 1, 1)).size(), std::size_t(0));
        QCOMPARE(icoImages(ico(png(1000, 100), 1, 1)).size(), std::size_t(0));
        QCOMPARE(icoImages(ico(png(1024, 4096), 5, 5)).size(), std::size_t(4));
        QCOMPARE(icoImages(ico(png(16, 100), 1, 0xFFFF)).size(), std::size_t(1));
        Bytes twice = ico(png(16, 100), 2, 2);
        twice.resize(twice.size() + 1000); // room for both, were it read twice
        const auto rebuilt = gemino::iconfile::IconFile::fromBytes(twice).groupAsIco(0);
        QVERIFY(rebuilt && icoImages(*rebuilt).size() == 1);

        // 64 groups of an NE module that all name the one large image of the first.
        std::vector<gemino::test::NeGroup> groups = {{"", 1, readIconFixture("a32.ico")}};
        for (std::uint16_t group = 2; group <= 64; ++group) {
            groups.push_back({"", group, readIconFixture("bw.ico")});
        }
        Bytes module = gemino::test::buildNeModule(groups, 4);
        const std::size_t table = 0x40 + readLe(module, 0x40 + 0x24, 2);
        for (std::size_t group = 1; group < 64; ++group) { // after 64 images, the groups
            const std::size_t directory = readLe(module, table + 2 + 16 + 12 * (64 + group), 2);
            module = patched(module, (directory << 4) + 6 + 12, 1, 2);
        }
        auto file = gemino::iconfile::IconFile::fromBytes(module);
        int handedOut = 0;
        for (int i = 0; i < file.iconCount(); ++i) {
            handedOut += file.groupAsIco(i) ? 1 : 0;
        }
        QVERIFY2(handedOut > 8 && handedOut < 64, qPrintable(QString::number(handedOut)));

        Bytes dib = patched(patched(patched(Bytes(48), 0, 40), 4, 1), 8, 2);
        dib = patched(patched(dib, 12, 1, 2), 14, 32, 2);
        std::copy_n("\x30\x20\x10", 3, dib.begin() + 40); // blue, green, red; alpha 0
        std::uint32_t pixel = 0;
        QVERIFY(gemino::iconfile::decodeDib(dib, &pixel, 1));
        QCOMPARE(pixel, 0xFF102030u);
    }

    // Small reads come from cached 32 KiB blocks; one that spans two blocks joins them in order.
    void fileReadsMatchTheBytesAcrossBlocks() {
        Bytes bytes(80000);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<unsigned char>(i * 7 % 251);
        }
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        file.close();
        const auto source =
            gemino::iconfile::fileSource(QFile::encodeName(file.fileName()).toStdString());
        for (const auto& [offset, n] :
             {std::pair{32760, 20}, {65500, 100}, {10, 40000}, {79990, 10}}) {
            const auto read = source->readBytes(std::uint64_t(offset), std::uint64_t(n));
            QVERIFY(read);
            QVERIFY(std::equal(read->begin(), read->end(), bytes.begin() + offset,
                               bytes.begin() + offset + n));
        }
        QVERIFY(!source->readBytes(79990, 11));
    }

    void fifosAreNeverOpened() {
#ifdef Q_OS_UNIX
        gemino::test::FifoWatch fifo(QStringLiteral("fifo.ico"));
        QVERIFY(fifo.created());
        const std::string path = QFile::encodeName(fifo.path()).toStdString();
        QVERIFY(!gemino::iconfile::isRegularFile(path));
        QCOMPARE(gemino::iconfile::iconCount(path), 0);
        QVERIFY(!gemino::iconfile::groupAsIco(path, 0));
        QVERIFY(!fifo.readerSeen());
#else
        QSKIP("no FIFOs here");
#endif
    }
};

QTEST_MAIN(TestIconFile)
#include "tst_iconfile.moc"

// The icon reader against containers made by tools not ours (see fixtures/generate.sh):
// icotool, windres/ld and makene. tests/qt/platform checks what the images decode to.
#include "core/iconfile/iconfile.h"

#include "support/iconfixtures.h"
#include "support/pemodule.h"

#include <QDir>
#include <QTest>

#include <random>

#ifdef Q_OS_UNIX
#include "support/fifowatch.h"
#endif

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Bytes)

namespace {

using gemino::test::iconFixture;
using gemino::test::readIconFixture;
using gemino::test::readLe;

Bytes patched(Bytes b, std::size_t at, std::uint32_t v, int n = 4) {
    gemino::test::writeLe(b, at, v, n);
    return b;
}

struct Damaged {
    const char* name;
    Bytes bytes;
    QStringList groups; // what is left of them, as the rows of groupsMatchTheirIcoFiles
};

// Modules whose directories loop, share a branch or are out of bounds; each fault should cost
// only the groups or images behind it.
std::vector<Damaged> damagedModules() {
    using Path = std::initializer_list<std::size_t>;
    // Entry i of the directory at `from` made to lead to the directory at `to`.
    const auto linked = [](Bytes bytes, Path from, std::size_t i, Path to) {
        gemino::test::linkEntry(bytes, from, i, to);
        return bytes;
    };
    // Built here: RT_ICON (root entry 0) holds images 1 to 4, RT_GROUP_ICON (entry 1) groups 1
    // to 3 made of bw (image 1), c4 (images 2 and 3) and c8 (image 4).
    std::vector<gemino::test::PeResource> resources;
    for (const auto& [base, group, firstImage] :
         {std::tuple{"bw", 1, 1}, std::tuple{"c4", 2, 2}, std::tuple{"c8", 3, 4}}) {
        const auto made =
            gemino::test::iconGroup(readIconFixture(QString(base) + ".ico"), std::uint16_t(group),
                                    0x409, std::uint16_t(firstImage));
        resources.insert(resources.end(), made.begin(), made.end());
    }
    const Bytes built = gemino::test::buildPeModule(resources);
    // From windres: the root lists RT_ICON, RT_STRING, RT_GROUP_ICON; groups APPLE (a32),
    // ZEBRA (bw), 3 (c4), 5 (c8 in U.S. English), 7 (multi), 12 (png).
    const Bytes pe = readIconFixture("icons32.dll");
    const std::size_t groups = gemino::test::resourceDirectory(pe, {2});
    // The NE resource table starts with the alignment shift.
    const Bytes icl = readIconFixture("icons.icl");
    const std::size_t ne = readLe(icl, 0x3C) + readLe(icl, readLe(icl, 0x3C) + 0x24, 2);
    return {
        {"sound tree", built, {"bw", "c4", "c8"}},
        {"a group leads back to the root", linked(built, {1}, 1, {}), {"bw", "c8"}},
        {"a group's language is a directory", linked(built, {1, 1}, 0, {1, 1}), {"bw", "c8"}},
        {"two groups share their languages", linked(built, {1}, 2, {1, 0}), {"bw", "c4"}},
        {"two images share their languages", linked(built, {0}, 3, {0, 0}), {"bw", "c4", ""}},
        {"images lead back to the root", linked(built, {}, 0, {}), {"", "", ""}},
        {"groups lead back to the root", linked(built, {}, 1, {}), {}},
        {"windres: groups lead back to the root", linked(pe, {}, 2, {}), {}},
        {"windres: a fourth level", linked(pe, {2, 0}, 0, {}), {"bw", "c4", "c8", "multi", "png"}},
        {"windres: two groups share their languages",
         linked(pe, {2}, 1, {2, 0}),
         {"a32", "c4", "c8", "multi", "png"}},
        {"windres: directory of 65535 groups", patched(pe, groups + 14, 0xFFFF, 2), {}},
        {"NE shift 255", patched(icl, ne, 255, 2), {}},
    };
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
                                 std::ranges::equal(a.data.first(b.data.size()), b.data) &&
                                 a.info.width == b.info.width && a.info.height == b.info.height &&
                                 a.info.bitCount == b.info.bitCount && a.info.png == b.info.png;
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
    // Each group is the images of the .ico file it was made of, in order; damage to a module
    // costs only the groups or images behind it ("": a group with no image left).
    void groupsMatchTheirIcoFiles_data() {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QStringList>("groups"); // the .ico files they came from, in order
        for (const QString base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
            QTest::newRow(qPrintable(base + ".ico"))
                << readIconFixture(base + ".ico") << QStringList{base};
        }
        // PE: named groups first as the directory sorts them (APPLE, ZEBRA), then numbers
        // ascending though declared 7, 3, 5, 12; group 5 once, in U.S. English though German
        // (0x407) sorts first.
        const QStringList pe = {"a32", "bw", "c4", "c8", "multi", "png"};
        QTest::newRow("PE32") << readIconFixture("icons32.dll") << pe;
        QTest::newRow("PE32+") << readIconFixture("icons64.dll") << pe;
        // NE: table order, named or not (1, FLOWER, 2, 9), at offsets shifted by 4.
        QTest::newRow("NE icon library")
            << readIconFixture("icons.icl") << QStringList{"bw", "c4", "c8", "t24"};
        QTest::newRow("icon library that is PE")
            << readIconFixture("pe.icl") << QStringList{"c4", "bw"};
        for (const char* none : {"noicons.dll", "pic.bmp", "pic.svg", "generate.sh"}) {
            QTest::newRow(none) << readIconFixture(none) << QStringList{};
        }
        for (const Damaged& damaged : damagedModules()) {
            QTest::newRow(damaged.name) << damaged.bytes << damaged.groups;
        }
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
    }

    // Group 1, or the one image it names, in several languages: the first in bw, the second
    // in c8, the third in t24. Windows takes neutral, then U.S. English, then the first.
    void languagesAsWindowsChooses() {
        using gemino::test::splitIco;
        const std::pair<std::vector<std::uint16_t>, QString> cases[] = {{{0x407, 0x409}, "c8"},
                                                                        {{0x409, 0x407, 0}, "t24"},
                                                                        {{0x407, 0x809}, "bw"},
                                                                        {{0x807}, "bw"}};
        for (const bool ofImage : {false, true}) {
            for (const auto& [languages, chosen] : cases) {
                std::vector<gemino::test::PeResource> resources;
                for (std::size_t i = 0; i < languages.size(); ++i) {
                    const Bytes ico =
                        readIconFixture(QStringList{"bw", "c8", "t24"}[qsizetype(i)] + ".ico");
                    const auto group = gemino::test::iconGroup(ico, 1, languages[i],
                                                               std::uint16_t(ofImage ? 1 : i + 1));
                    resources.insert(resources.end(), group.begin(),
                                     group.end() - (ofImage ? 1 : 0));
                }
                if (ofImage) {
                    resources.push_back({gemino::test::kRtGroupIcon, 1, 0x407,
                                         splitIco(readIconFixture("bw.ico"), 1).directory});
                }
                const Bytes module = gemino::test::buildPeModule(resources);
                auto file = gemino::iconfile::IconFile::fromBytes(module);
                QCOMPARE(file.iconCount(), 1);
                const auto ico = file.groupAsIco(0);
                QVERIFY2(ico && sameImages(*ico, readIconFixture(chosen + ".ico")),
                         qPrintable(chosen));
            }
        }
    }

    void damagedFilesStaySafe_data() {
        QTest::addColumn<Bytes>("whole");
        for (const QString& name :
             QDir(iconFixture("")).entryList({"*.ico", "*.dll", "*.icl"}, QDir::Files)) {
            QTest::newRow(qPrintable(name)) << readIconFixture(name);
        }
        // Inputs that once made the fuzzer fail, under the names libFuzzer gave them.
        for (const QString& name : QDir(iconFixture("fuzz")).entryList({"*-*"}, QDir::Files)) {
            QTest::newRow(qPrintable(name)) << readIconFixture("fuzz/" + name);
        }
        for (const Damaged& damaged : damagedModules()) {
            QTest::newRow(damaged.name) << damaged.bytes;
        }
    }

    // Every cut of the file and many copies with bytes changed, mostly in the headers and
    // directories where damage matters most.
    void damagedFilesStaySafe() {
        QFETCH(Bytes, whole);
        for (std::size_t cut = 0; cut <= whole.size(); cut += cut < 512 ? 1 : whole.size() / 150) {
            QVERIFY(groupsAreSound({whole.data(), cut}));
        }
        std::mt19937 random(static_cast<unsigned>(whole.size()));
        for (int variant = 0; variant < 150 && !whole.empty(); ++variant) {
            Bytes bytes = whole;
            const auto region =
                std::min<std::size_t>(whole.size(), variant % 2 ? whole.size() : 1024);
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
        const auto png = [](std::uint32_t side, std::size_t size) {
            Bytes bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,
                           0,    0,   0,   13,  'I',  'H',  'D',  'R'};
            for (const int shift : {24, 16, 8, 0, 24, 16, 8, 0}) {
                bytes.push_back(static_cast<unsigned char>(side >> shift));
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
        QCOMPARE(icoImages(ico(png(2000, 20000), 1, 1)).size(), std::size_t(0));
        QCOMPARE(icoImages(ico(png(1000, 100), 1, 1)).size(), std::size_t(0));
        QCOMPARE(icoImages(ico(png(1024, 4096), 5, 5)).size(), std::size_t(4));
        QCOMPARE(icoImages(ico(png(16, 100), 1, 0xFFFF)).size(), std::size_t(1));
        Bytes twice = ico(png(16, 100), 2, 2);
        twice.resize(twice.size() + 1000); // room for both, were it read twice
        const auto rebuilt = gemino::iconfile::IconFile::fromBytes(twice).groupAsIco(0);
        QVERIFY(rebuilt && icoImages(*rebuilt).size() == 1);

        auto resources = gemino::test::iconGroup(readIconFixture("c8.ico"), 1, 0x409, 1);
        const Bytes directory = resources.back().data;
        for (std::uint16_t group = 2; group <= 64; ++group) {
            resources.push_back({gemino::test::kRtGroupIcon, group, 0x409, directory});
        }
        const Bytes module = gemino::test::buildPeModule(resources);
        auto file = gemino::iconfile::IconFile::fromBytes(module);
        int handedOut = 0;
        for (int i = 0; i < file.iconCount(); ++i) {
            handedOut += file.groupAsIco(i) ? 1 : 0;
        }
        QVERIFY2(handedOut > 8 && handedOut < 64, qPrintable(QString::number(handedOut)));

        Bytes dib = patched(patched(patched(Bytes(48), 0, 40), 4, 1), 8, 2);
        dib = patched(patched(dib, 12, 1, 2), 14, 32, 2);
        dib[40] = 0x30; // blue, green, red, alpha 0; then an all-opaque mask
        dib[41] = 0x20;
        dib[42] = 0x10;
        std::uint32_t pixel = 0;
        QVERIFY(gemino::iconfile::decodeDib(dib, &pixel, 1));
        QCOMPARE(pixel, 0xFF102030u);
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

// Icon images decoded into Qt pictures, compared with what icotool extracted from the same
// .ico files (see tests/core/iconfile/fixtures/generate.sh).
#include "qt/platform/icondecode.h"

#include "support/iconfixtures.h"

#include <QDir>
#include <QIcon>
#include <QTest>

using namespace gemino;
using test::iconFixture;

class TestIconDecode : public QObject {
    Q_OBJECT

private slots:
    // icotool extracted image N of B.ico as expected/B_N_WxHxD.png. Compared premultiplied,
    // pixels that show nothing are equal whatever their colour.
    void imagesMatchIcotool() {
        const QDir expected(iconFixture("expected"));
        const auto format = QImage::Format_ARGB32_Premultiplied;
        for (const QString base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
            const auto images = decodeIcoImages(test::readIconFixture(base + ".ico"));
            const QStringList names = expected.entryList({base + "_*.png"});
            QCOMPARE(qsizetype(images.size()), names.size());
            for (qsizetype k = 0; k < names.size(); ++k) {
                const IconImage& image = images[std::size_t(k)];
                QCOMPARE(image.image.convertToFormat(format),
                         QImage(expected.filePath(names[k])).convertToFormat(format));
                QVERIFY2(names[k].endsWith(QStringLiteral("x%1.png").arg(image.bitCount)),
                         qPrintable(names[k]));
            }
        }
    }

    // A cell draws the smallest image that covers it, the deepest among equals, else the
    // largest; whole-number enlargements keep hard edges; a greyed icon is grey and faint.
    void cellsDrawTheImageThatSuitsThem() {
        const auto solid = [](int side, int bitCount, QRgb colour) {
            QImage image(side, side, QImage::Format_ARGB32);
            image.fill(colour);
            return IconImage{image, bitCount};
        };
        const std::vector<IconImage> images = {solid(16, 8, 0xFFFF0000), solid(32, 4, 0xFF00FF00),
                                               solid(32, 32, 0xFF0000FF), solid(48, 8, 0xFFFFFF00)};
        for (const auto& [side, colour] : {std::pair{8, 0xFFFF0000u},
                                           {20, 0xFF0000FFu},
                                           {32, 0xFF0000FFu},
                                           {40, 0xFFFFFF00u},
                                           {64, 0xFFFFFF00u}}) {
            const QImage cell = iconCellImage(images, QSize(side, side));
            QCOMPARE(cell.size(), QSize(side, side));
            QCOMPARE(cell.pixel(side / 2, side / 2), colour);
        }

        QImage pair(2, 1, QImage::Format_ARGB32);
        pair.setPixel(0, 0, 0xFF000000);
        pair.setPixel(1, 0, 0xFFFFFFFF);
        const QImage sharp = iconCellImage({{pair, 8}}, QSize(8, 4));
        QCOMPARE(sharp.pixel(3, 0), 0xFF000000u);
        QCOMPARE(sharp.pixel(4, 0), 0xFFFFFFFFu);

        const QIcon icon = iconFromImages({solid(16, 8, 0xFFFF0000)});
        QCOMPARE(icon.pixmap(16, QIcon::Normal).toImage().pixel(0, 0), 0xFFFF0000u);
        const QImage greyed =
            icon.pixmap(16, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb grey = greyed.pixel(0, 0);
        QVERIFY(qAlpha(grey) == 127 && qRed(grey) == qGreen(grey) && qGreen(grey) == qBlue(grey));
    }

    void everyContainerGivesItsIcons_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        QTest::newRow("PE32") << "icons32.dll" << 6;
        QTest::newRow("NE icon library") << "icons.icl" << 4;
        QTest::newRow("icon file") << "multi.ico" << 1;
        QTest::newRow("library without icons") << "noicons.dll" << 0;
        QTest::newRow("picture") << "pic.png" << 0;
    }

    void everyContainerGivesItsIcons() {
        QFETCH(QString, file);
        QFETCH(int, count);
        const QString path = iconFixture(file);
        QCOMPARE(fileIconCount(path), count);
        const QList<QIcon> icons = loadFileIcons(path);
        QCOMPARE(icons.size(), count);
        for (int i = 0; i < count; ++i) {
            QVERIFY(!icons[i].isNull());
            QCOMPARE(icons[i].pixmap(QSize(20, 20)).toImage(),
                     LoadFileIcon(path, i).pixmap(QSize(20, 20)).toImage());
        }
        QVERIFY(LoadFileIcon(path, count).isNull());
        QVERIFY(LoadFileIcon(path, -1).isNull());
    }
};

QTEST_MAIN(TestIconDecode)
#include "tst_icondecode.moc"

// Icon images decoded into Qt pictures, compared with what icotool extracted from the same
// .ico files (see tests/core/iconfile/fixtures/generate.sh).
#include "qt/platform/icondecode.h"

#include "support/iconfixtures.h"

#include <QDir>
#include <QIcon>
#include <QTest>

using gemino::test::iconFixture;

class TestIconDecode : public QObject {
    Q_OBJECT

private slots:
    void imagesMatchIcotool_data() {
        QTest::addColumn<QString>("base");
        for (const QString base : {"bw", "c4", "c8", "t24", "a32", "png", "multi"}) {
            QTest::newRow(qPrintable(base)) << base;
        }
    }

    void imagesMatchIcotool() {
        QFETCH(QString, base);
        const auto images = gemino::decodeIcoImages(gemino::test::readIconFixture(base + ".ico"));
        // icotool extracted image N of base.ico as expected/base_N_WxHxD.png.
        const QDir expected(iconFixture("expected"));
        const QStringList names = expected.entryList({base + "_*.png"});
        QCOMPARE(qsizetype(images.size()), names.size());
        for (qsizetype k = 0; k < names.size(); ++k) {
            // Premultiplied, pixels that show nothing compare equal whatever their colour.
            const auto format = QImage::Format_ARGB32_Premultiplied;
            QCOMPARE(images[std::size_t(k)].image.convertToFormat(format),
                     QImage(expected.filePath(names[k])).convertToFormat(format));
            QVERIFY(
                names[k].endsWith(QStringLiteral("x%1.png").arg(images[std::size_t(k)].bitCount)));
        }
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
        QCOMPARE(gemino::fileIconCount(path), count);
        const QList<QIcon> icons = gemino::loadFileIcons(path);
        QCOMPARE(icons.size(), count);
        for (int i = 0; i < count; ++i) {
            QVERIFY(!icons[i].isNull());
            QCOMPARE(icons[i].pixmap(QSize(20, 20)).toImage(),
                     gemino::LoadFileIcon(path, i).pixmap(QSize(20, 20)).toImage());
        }
        QVERIFY(gemino::LoadFileIcon(path, count).isNull());
        QVERIFY(gemino::LoadFileIcon(path, -1).isNull());
    }
};

QTEST_MAIN(TestIconDecode)
#include "tst_icondecode.moc"

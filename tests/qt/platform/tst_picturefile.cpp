// Pictures that image sets take from files (see tests/core/iconfile/fixtures/generate.sh).
#include "qt/platform/picturefile.h"

#include "support/iconfixtures.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

#ifdef Q_OS_UNIX
#include "support/fifowatch.h"
#endif

using gemino::test::iconFixture;

class TestPictureFile : public QObject {
    Q_OBJECT

private slots:
    void picturesFillTheirSquare_data() {
        QTest::addColumn<QString>("file");
        for (const char* file : {"pic.bmp", "pic.jpg", "pic.png", "pic.gif", "pic.svg"}) {
            QTest::newRow(file) << file;
        }
    }

    void picturesFillTheirSquare() {
        QFETCH(QString, file);
        const QImage image = gemino::loadPicturePixmap(iconFixture(file), 77).toImage();
        QCOMPARE(image.size(), QSize(77, 77));
        // The 64 x 48 picture is red, green, blue and yellow clockwise from the top left, and
        // its quadrants land on the square's.
        const auto quadrants = image.scaled(2, 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QList<QRgb> colours = {0x800000, 0x008000, 0x808000, 0x000080};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(quadrants.pixel(i % 2, i / 2) & 0x808080, colours[i]);
        }
        QCOMPARE(gemino::loadEditorImage(iconFixture(file), 3).size(), QSize(40, 40));
        // No board or list draws a picture this large: refused before it is decoded.
        QVERIFY(gemino::loadPicturePixmap(iconFixture(file), 5000).isNull());
    }

    void fifosAreNeverOpened() {
#ifdef Q_OS_UNIX
        gemino::test::FifoWatch fifo(QStringLiteral("fifo.bmp"));
        QVERIFY(fifo.created());
        QVERIFY(gemino::loadPicturePixmap(fifo.path(), 40).isNull());
        QVERIFY(!fifo.readerSeen());
#else
        QSKIP("no FIFOs here");
#endif
    }
};

QTEST_MAIN(TestPictureFile)
#include "tst_picturefile.moc"

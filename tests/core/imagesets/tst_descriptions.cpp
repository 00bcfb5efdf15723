#include "core/imagesets/imagedescription.h"
#include "core/imagesets/standardsets.h"

#include <QTest>

using namespace gemino;

class TestDescriptions : public QObject {
    Q_OBJECT
private slots:
    void picturesInWords_data() {
        // A standard set and an index, or an entry's text, its file and its icon index.
        QTest::addColumn<QStringList>("image");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("words");
        QTest::newRow("misc") << QStringList{"misc"} << 19 << "spade";
        QTest::newRow("traffic") << QStringList{"traffic"} << 19 << "ignition key";
        QTest::newRow("flag, any case") << QStringList{"FLAGS"} << 3 << "flag of Canada";
        QTest::newRow("unknown set") << QStringList{"bogus"} << 0 << "";
        QTest::newRow("past the end") << QStringList{"misc"} << 20 << "";
        QTest::newRow("text wins") << QStringList{"Grandma", "/p/a.bmp"} << -1 << "Grandma";
        QTest::newRow("icon") << QStringList{"", "C:\\Windows\\shell32.dll"} << 4
                              << "shell32, icon 4";
        QTest::newRow("picture") << QStringList{"", "/x.y/sunset.jpeg"} << -1 << "sunset";
        QTest::newRow("dot file") << QStringList{"", "/x/.hidden"} << -1 << ".hidden";
        QTest::newRow("no name") << QStringList{"", "/x/"} << 1 << "picture, icon 1";
    }
    void picturesInWords() {
        QFETCH(QStringList, image);
        QFETCH(int, index);
        const std::string words =
            image.size() == 1
                ? standardImageDescription(image[0].toStdString(), index)
                : describeFileImage(image[0].toStdString(), image[1].toStdString(), index);
        QTEST(QString::fromStdString(words), "words");
    }
};

QTEST_APPLESS_MAIN(TestDescriptions)
#include "tst_descriptions.moc"

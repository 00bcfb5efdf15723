#include "core/imagesets/imagedescription.h"
#include "core/imagesets/standardsets.h"

#include <QTest>

using namespace gemino;

class TestDescriptions : public QObject {
    Q_OBJECT
private slots:
    void picturesInWords_data() {
        QTest::addColumn<QString>("set"); // a standard set, or "" for a file's picture
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("words");
        QTest::newRow("misc") << "misc"
                              << ""
                              << "" << 19 << "spade";
        QTest::newRow("traffic") << "traffic"
                                 << ""
                                 << "" << 19 << "ignition key";
        QTest::newRow("flag, any case") << "FLAGS"
                                        << ""
                                        << "" << 3 << "flag of Canada";
        QTest::newRow("unknown set") << "bogus"
                                     << ""
                                     << "" << 0 << "";
        QTest::newRow("past the end") << "misc"
                                      << ""
                                      << "" << 20 << "";
        QTest::newRow("text wins") << ""
                                   << "Grandma"
                                   << "/p/a.bmp" << -1 << "Grandma";
        QTest::newRow("icon") << ""
                              << ""
                              << "C:\\Windows\\shell32.dll" << 4 << "shell32, icon 4";
        QTest::newRow("picture") << ""
                                 << ""
                                 << "/x.y/sunset.jpeg" << -1 << "sunset";
        QTest::newRow("dot file") << ""
                                  << ""
                                  << "/x/.hidden" << -1 << ".hidden";
        QTest::newRow("no name") << ""
                                 << ""
                                 << "/x/" << 1 << "picture, icon 1";
    }
    void picturesInWords() {
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(QString, path);
        QFETCH(int, index);
        const std::string words =
            set.isEmpty() ? describeFileImage(text.toStdString(), path.toStdString(), index)
                          : standardImageDescription(set.toStdString(), index);
        QTEST(QString::fromStdString(words), "words");
    }
};

QTEST_APPLESS_MAIN(TestDescriptions)
#include "tst_descriptions.moc"

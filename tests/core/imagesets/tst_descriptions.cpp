#include "core/imagesets/imagedescription.h"
#include "core/imagesets/standardsets.h"

#include <QTest>

using namespace gemino;

class TestDescriptions : public QObject {
    Q_OBJECT
private slots:
    void standardPicturesInWords_data() {
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("words");
        QTest::newRow("misc first") << "misc" << 0 << "alarm clock";
        QTest::newRow("misc last") << "misc" << 19 << "spade";
        QTest::newRow("traffic shared key") << "traffic" << 19 << "ignition key";
        QTest::newRow("computer") << "computer" << 5 << "disk drive with a floppy disk";
        QTest::newRow("flag") << "flags" << 3 << "flag of Canada";
        QTest::newRow("flag, any case") << "FLAGS" << 19 << "flag of United States";
        QTest::newRow("unknown set") << "bogus" << 0 << "";
        QTest::newRow("past the end") << "misc" << 20 << "";
        QTest::newRow("before the start") << "misc" << -1 << "";
    }
    void standardPicturesInWords() {
        QFETCH(QString, set);
        QFETCH(int, position);
        QTEST(QString::fromStdString(standardImageDescription(set.toStdString(), position)),
              "words");
    }

    void everyStandardPictureHasDistinctWordsWithinItsSet() {
        for (const char* set : {"misc", "traffic", "computer", "flags"}) {
            QStringList seen;
            for (int k = 0; k < 20; ++k) {
                const QString words = QString::fromStdString(standardImageDescription(set, k));
                QVERIFY2(!words.isEmpty() && !seen.contains(words), qPrintable(words));
                seen << words;
            }
        }
    }

    void filePicturesInWords_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("words");
        QTest::newRow("text wins") << "Grandma"
                                   << "/p/a.bmp" << -1 << "Grandma";
        QTest::newRow("icon of a library") << ""
                                           << "C:\\Windows\\shell32.dll" << 4 << "shell32, icon 4";
        QTest::newRow("picture file") << ""
                                      << "/home/ann/sunset.jpeg" << -1 << "sunset";
        QTest::newRow("two dots") << ""
                                  << "/x/archive.tar.icl" << 0 << "archive.tar, icon 0";
        QTest::newRow("dot file") << ""
                                  << "/x/.hidden" << -1 << ".hidden";
        QTest::newRow("folder with a dot") << ""
                                           << "/x.y/noext" << 2 << "noext, icon 2";
        QTest::newRow("no name at all") << ""
                                        << "/x/" << 1 << "picture, icon 1";
    }
    void filePicturesInWords() {
        QFETCH(QString, text);
        QFETCH(QString, path);
        QFETCH(int, index);
        QTEST(QString::fromStdString(
                  describeFileImage(text.toStdString(), path.toStdString(), index)),
              "words");
    }
};

QTEST_APPLESS_MAIN(TestDescriptions)
#include "tst_descriptions.moc"

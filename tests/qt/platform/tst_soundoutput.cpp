// Where a cue is found: the start-up folder first, then the installed data folder.
#include "qt/platform/soundoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gemino;

namespace {

bool touch(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("RIFF") == 4;
}

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT

private slots:
    void locateCue_data();
    void locateCue();
    void installedFolderFollowsTheInstallLayout();
};

// What each folder holds under the cue's name, and where the cue is read from.
void TestSoundOutput::locateCue_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("startupHolds"); // "file", "folder" or "nothing"
    QTest::addColumn<bool>("dataHolds");
    QTest::addColumn<bool>("dataFolderKnown");
    QTest::addColumn<bool>("fromData");

    QTest::newRow("start-up folder only") << "Match.wav"
                                          << "file" << false << true << false;
    QTest::newRow("both: start-up folder wins") << "Pop.wav"
                                                << "file" << true << true << false;
    QTest::newRow("installed folder only") << "Bonus.wav"
                                           << "nothing" << true << true << true;
    QTest::newRow("name with a blank") << "You Won.wav"
                                       << "nothing" << true << true << true;
    QTest::newRow("a folder is not a cue") << "Pop.wav"
                                           << "folder" << true << true << true;
    QTest::newRow("neither: the asked path") << "Pop.wav"
                                             << "nothing" << false << true << false;
    QTest::newRow("no installed folder") << "Match.wav"
                                         << "nothing" << true << false << false;
}

void TestSoundOutput::locateCue() {
    QFETCH(QString, file);
    QFETCH(QString, startupHolds);
    QFETCH(bool, dataHolds);
    QFETCH(bool, dataFolderKnown);
    QFETCH(bool, fromData);

    QTemporaryDir startup;
    QTemporaryDir data;
    QVERIFY(startup.isValid() && data.isValid());
    const QString asked = startup.filePath(file);
    if (startupHolds == "file") {
        QVERIFY(touch(asked));
    } else if (startupHolds == "folder") {
        QVERIFY(QDir(startup.path()).mkdir(file));
    }
    if (dataHolds) {
        QVERIFY(touch(data.filePath(file)));
    }

    const QString found = gemino::locateCue(asked, dataFolderKnown ? data.path() : QString());
    QCOMPARE(found, fromData ? data.filePath(file) : asked);
}

void TestSoundOutput::installedFolderFollowsTheInstallLayout() {
    // Taken as installed: the executable's folder is <prefix>/<bin folder>, so the cues must be
    // found in <prefix>/<data folder> whatever the prefix is.
    QString prefix = QCoreApplication::applicationDirPath();
    const auto binDepth =
        QStringLiteral(GEMINO_INSTALL_BINDIR).split('/', Qt::SkipEmptyParts).size();
    for (qsizetype i = 0; i < binDepth; ++i) {
        prefix = QFileInfo(prefix).path();
    }
    const QString expected = QDir::cleanPath(prefix + "/" + GEMINO_INSTALL_DATADIR);
    QCOMPARE(installedCueFolder(), expected);
}

QTEST_MAIN(TestSoundOutput)
#include "tst_soundoutput.moc"

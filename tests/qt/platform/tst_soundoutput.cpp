// Where a cue is found, and how long it plays.
#include "qt/platform/soundoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace gemino;

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray le32(quint32 v) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(v, bytes.data());
    return bytes;
}

// A RIFF chunk, padded to an even size; `claimed` stands in for the body's size when set.
QByteArray chunk(const char* id, const QByteArray& body, int claimed = -1) {
    const QByteArray pad(body.size() % 2, '\0');
    return id + le32(quint32(claimed < 0 ? body.size() : claimed)) + body + pad;
}

// The format of 16-bit PCM mono at 44.1 kHz, `byteRate` bytes a second.
QByteArray pcm(quint32 byteRate) {
    return QByteArray::fromHex("0100010044ac0000") + le32(byteRate) +
           QByteArray::fromHex("02001000");
}

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT

private slots:
    // The start-up folder first, then the installed data folder; a folder is no cue.
    void locateCue() {
        QTemporaryDir startup;
        QTemporaryDir data;
        const QString asked = startup.filePath("You Won.wav");
        const QString installed = data.filePath("You Won.wav");
        QCOMPARE(gemino::locateCue(asked, data.path()), asked); // found nowhere
        QVERIFY(write(installed, "RIFF"));
        QCOMPARE(gemino::locateCue(asked, data.path()), installed);
        QCOMPARE(gemino::locateCue(asked, QString()), asked); // no installed folder
        QVERIFY(QDir(startup.path()).mkdir("You Won.wav"));
        QCOMPARE(gemino::locateCue(asked, data.path()), installed);
        QVERIFY(QDir(startup.path()).rmdir("You Won.wav") && write(asked, "RIFF"));
        QCOMPARE(gemino::locateCue(asked, data.path()), asked);
    }

    // Taken as installed: the executable's folder is <prefix>/<bin folder>, so the cues must be
    // found in <prefix>/<data folder> whatever the prefix is.
    void installedFolderFollowsTheInstallLayout() {
        QDir prefix(QCoreApplication::applicationDirPath());
        const auto depth =
            QStringLiteral(GEMINO_INSTALL_BINDIR).split('/', Qt::SkipEmptyParts).size();
        for (qsizetype i = 0; i < depth; ++i) {
            QVERIFY(prefix.cdUp());
        }
        QCOMPARE(installedCueFolder(),
                 QDir::cleanPath(prefix.path() + "/" + GEMINO_INSTALL_DATADIR));
    }

    // A cue's length holds up the game, so it is read from the file's own headers, padding
    // and all; a file that breaks off plays what it holds, and a broken one plays nothing.
    void waveLengthMs_data() {
        QTest::addColumn<QByteArray>("chunks"); // after "WAVE"
        QTest::addColumn<int>("ms");
        const QByteArray data = chunk("data", QByteArray(8820, '\1'));
        QTest::newRow("plain") << chunk("fmt ", pcm(88200)) + data << 100;
        QTest::newRow("odd chunk first")
            << chunk("LIST", "odd") + chunk("fmt ", pcm(88200)) + data << 100;
        QTest::newRow("odd format chunk") << chunk("fmt ", pcm(88200) + "x") + data << 100;
        QTest::newRow("data cut short")
            << chunk("fmt ", pcm(88200)) + chunk("data", QByteArray(4410, '\1'), 88200) << 50;
        QTest::newRow("no byte rate") << chunk("fmt ", pcm(0)) + data << 0;
        QTest::newRow("short format") << chunk("fmt ", "short") + data << 0;
        QTest::newRow("no data") << chunk("fmt ", pcm(88200)) << 0;
    }
    void waveLengthMs() {
        QFETCH(QByteArray, chunks);
        QFETCH(int, ms);
        QTemporaryDir dir;
        QVERIFY(write(dir.filePath("cue.wav"), "RIFF" + le32(4 + chunks.size()) + "WAVE" + chunks));
        QCOMPARE(gemino::waveLengthMs(dir.filePath("cue.wav")), ms);
        QCOMPARE(gemino::waveLengthMs(dir.path()), 0);
    }
};

QTEST_MAIN(TestSoundOutput)
#include "tst_soundoutput.moc"

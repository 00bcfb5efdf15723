// The built-in pictures and sound cues are plain files that nothing but these checks reads
// before the game does: a number mapped to a misspelt file name, an empty or unparsable SVG,
// a picture that paints the button's corners, a missing toolbar picture or a cue written in a
// format the audio stack will not play would otherwise show up only as a blank button or
// silence in play.
#include "imagesets/standardsets.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

using namespace gemino;

namespace {

constexpr std::array<int, 16> kToolbarCommands = {32773, 32795, 32777, 32778, 32779, 32789,
                                                  32796, 32782, 32781, 32771, 32772, 32791,
                                                  32774, 32787, 32794, 32790};

QString ToolbarPath(int command) {
    return QStringLiteral(":/toolbar/%1.svg").arg(command);
}

QImage Render(QSvgRenderer& renderer, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return image;
}

// Share of the pixels that carry paint. An empty <svg/> is valid SVG and renders as nothing.
double Coverage(const QImage& image) {
    qint64 painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                ++painted;
            }
        }
    }
    return double(painted) / (double(image.width()) * image.height());
}

bool CornersTransparent(const QImage& image) {
    const int r = image.width() - 1;
    const int b = image.height() - 1;
    return qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(r, 0)) == 0 &&
           qAlpha(image.pixel(0, b)) == 0 && qAlpha(image.pixel(r, b)) == 0;
}

// Elements Qt's SVG Tiny renderer draws the same everywhere. Text depends on installed fonts,
// and gradients, masks and the like are outside the flat look or silently ignored.
QString FirstForeignElement(const QString& path) {
    static const QSet<QString> allowed = {
        QStringLiteral("svg"),      QStringLiteral("g"),       QStringLiteral("rect"),
        QStringLiteral("circle"),   QStringLiteral("ellipse"), QStringLiteral("line"),
        QStringLiteral("polyline"), QStringLiteral("polygon"), QStringLiteral("path"),
        QStringLiteral("title"),    QStringLiteral("desc")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("(unreadable)");
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            !allowed.contains(xml.name().toString())) {
            return xml.name().toString();
        }
    }
    return xml.hasError() ? QStringLiteral("(XML error: %1)").arg(xml.errorString()) : QString();
}

struct Wave {
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    int byteRate = 0;
    int blockAlign = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;
};

quint32 Le(const QByteArray& bytes, qsizetype at, int count) {
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    }
    return value;
}

// Walks the RIFF chunks instead of assuming a 44-byte header, so a valid file with extra
// chunks passes and a truncated one fails.
std::optional<Wave> ParseWave(const QByteArray& bytes, QString* error) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        *error = QStringLiteral("not a RIFF WAVE file");
        return std::nullopt;
    }
    if (Le(bytes, 4, 4) != quint32(bytes.size() - 8)) {
        *error = QStringLiteral("RIFF size %1 for a file of %2 bytes")
                     .arg(Le(bytes, 4, 4))
                     .arg(bytes.size());
        return std::nullopt;
    }
    Wave wave;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = Le(bytes, at + 4, 4);
        const qsizetype body = at + 8;
        if (body + size > bytes.size()) {
            *error = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return std::nullopt;
        }
        if (id == "fmt " && size >= 16) {
            wave.format = int(Le(bytes, body, 2));
            wave.channels = int(Le(bytes, body + 2, 2));
            wave.sampleRate = int(Le(bytes, body + 4, 4));
            wave.byteRate = int(Le(bytes, body + 8, 4));
            wave.blockAlign = int(Le(bytes, body + 12, 2));
            wave.bits = int(Le(bytes, body + 14, 2));
            haveFormat = true;
        } else if (id == "data") {
            if (size % 2 != 0) {
                *error = QStringLiteral("data chunk of odd length");
                return std::nullopt;
            }
            for (qsizetype i = 0; i < size; i += 2) {
                wave.samples.push_back(static_cast<std::int16_t>(Le(bytes, body + i, 2)));
            }
            haveData = true;
        }
        at = body + size + (size % 2);
    }
    if (!haveFormat || !haveData) {
        *error = QStringLiteral("fmt or data chunk missing");
        return std::nullopt;
    }
    return wave;
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void standardIconRendersOnTransparentCorners_data();
    void standardIconRendersOnTransparentCorners();
    void everyNumberHasItsOwnFile();
    void flagTextsNameTheCountriesInSetOrder();
    void toolbarPictureRendersOnItsGrid_data();
    void toolbarPictureRendersOnItsGrid();
    void toolbarPicturesAreExactlyTheSixteenCommandsAndDistinct();
    void programIconRendersSmallAndLarge_data();
    void programIconRendersSmallAndLarge();
    void cueIsQuietAtItsEndsAndBelowFullScale_data();
    void cueIsQuietAtItsEndsAndBelowFullScale();
};

void TestArtwork::standardIconRendersOnTransparentCorners_data() {
    QTest::addColumn<int>("id");
    const std::array<std::pair<const char*, const std::array<int, 20>*>, 4> sets = {{
        {"misc", &MISC_ICON_IDS},
        {"traffic", &TRAFFIC_ICON_IDS},
        {"computer", &COMPUTER_ICON_IDS},
        {"flags", &FLAG_ICON_IDS},
    }};
    for (const auto& [name, ids] : sets) {
        for (std::size_t i = 0; i < ids->size(); ++i) {
            QTest::addRow("%s %02d #%d", name, int(i + 1), (*ids)[i]) << (*ids)[i];
        }
    }
}

void TestArtwork::standardIconRendersOnTransparentCorners() {
    QFETCH(int, id);
    const QString path = QString::fromStdString(ResourceIconPath(id));
    QVERIFY2(!path.isEmpty(), "no file for this resource number");
    QVERIFY2(QFile::exists(path), qPrintable(path + " is not among the compiled-in pictures"));
    const QString foreign = FirstForeignElement(path);
    QVERIFY2(foreign.isEmpty(), qPrintable(path + " uses <" + foreign + ">"));

    QSvgRenderer renderer(path);
    QVERIFY2(renderer.isValid(), qPrintable(path + " does not parse"));
    QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 32, 32));
    for (const int size : {32, 200}) {
        const QImage image = Render(renderer, QSize(size, size));
        const double coverage = Coverage(image);
        QVERIFY2(
            coverage > 0.05,
            qPrintable(
                QStringLiteral("%1 px: only %2 of the pixels painted").arg(size).arg(coverage)));
        QVERIFY2(CornersTransparent(image),
                 qPrintable(QStringLiteral("%1 px: a corner pixel is painted").arg(size)));
    }
}

void TestArtwork::everyNumberHasItsOwnFile() {
    // 139 belongs to two sets and is one picture; any other shared file is a slip in the table.
    QHash<QString, int> owner;
    for (const auto* ids :
         {&MISC_ICON_IDS, &TRAFFIC_ICON_IDS, &COMPUTER_ICON_IDS, &FLAG_ICON_IDS}) {
        for (const int id : *ids) {
            const QString path = QString::fromStdString(ResourceIconPath(id));
            const int previous = owner.value(path, id);
            QVERIFY2(
                previous == id,
                qPrintable(QStringLiteral("#%1 and #%2 share %3").arg(previous).arg(id).arg(path)));
            owner.insert(path, id);
        }
    }
    QCOMPARE(owner.size(), 79);
    QVERIFY(!owner.contains(QString::fromStdString(ResourceIconPath(kProgramIconId))));
}

void TestArtwork::flagTextsNameTheCountriesInSetOrder() {
    const QStringList expected = {
        "Australia", "Belgium", "Brazil", "Canada",      "Denmark",        "Finland",      "France",
        "Ireland",   "Italy",   "Japan",  "Mexico",      "Netherlands",    "New Zealand",  "Norway",
        "Portugal",  "Spain",   "Sweden", "Switzerland", "United Kingdom", "United States"};
    QStringList actual;
    for (const char* text : FLAG_TEXTS) {
        actual << QString::fromUtf8(text);
    }
    QCOMPARE(actual, expected);
    // Each flag's file is named after the country shown below it.
    for (std::size_t i = 0; i < FLAG_TEXTS.size(); ++i) {
        const QString file = QString(FLAG_TEXTS[i]).toLower().replace(' ', '-');
        QCOMPARE(QString::fromStdString(ResourceIconPath(FLAG_ICON_IDS[i])),
                 QStringLiteral(":/icons/flags/%1.svg").arg(file));
    }
}

void TestArtwork::toolbarPictureRendersOnItsGrid_data() {
    QTest::addColumn<int>("command");
    for (std::size_t i = 0; i < kToolbarCommands.size(); ++i) {
        QTest::addRow("%02d #%d", int(i + 1), kToolbarCommands[i]) << kToolbarCommands[i];
    }
}

void TestArtwork::toolbarPictureRendersOnItsGrid() {
    QFETCH(int, command);
    const QString path = ToolbarPath(command);
    QVERIFY2(QFile::exists(path), qPrintable(path + " is missing"));
    const QString foreign = FirstForeignElement(path);
    QVERIFY2(foreign.isEmpty(), qPrintable(path + " uses <" + foreign + ">"));
    QSvgRenderer renderer(path);
    QVERIFY(renderer.isValid());
    // Menu items and toolbar buttons both reserve 16 x 15 pixels for the picture.
    QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 16, 15));
    for (const QSize size : {QSize(16, 15), QSize(32, 30)}) {
        const double coverage = Coverage(Render(renderer, size));
        QVERIFY2(coverage > 0.15, qPrintable(QStringLiteral("%1x%2: only %3 painted")
                                                 .arg(size.width())
                                                 .arg(size.height())
                                                 .arg(coverage)));
    }
}

void TestArtwork::toolbarPicturesAreExactlyTheSixteenCommandsAndDistinct() {
    QStringList expected;
    for (const int command : kToolbarCommands) {
        expected << QStringLiteral("%1.svg").arg(command);
    }
    expected.sort();
    QCOMPARE(QDir(QStringLiteral(":/toolbar")).entryList(QDir::Files, QDir::Name), expected);

    // A picture copied for a second command and never redrawn would pass every other check.
    QList<QImage> seen;
    for (const int command : kToolbarCommands) {
        QSvgRenderer renderer(ToolbarPath(command));
        const QImage image = Render(renderer, QSize(16, 15));
        for (int i = 0; i < seen.size(); ++i) {
            QVERIFY2(
                image != seen[i],
                qPrintable(
                    QStringLiteral("#%1 looks like #%2").arg(command).arg(kToolbarCommands[i])));
        }
        seen << image;
    }
}

void TestArtwork::programIconRendersSmallAndLarge_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("title bar 16") << 16;
    QTest::newRow("board 32") << 32;
    QTest::newRow("desktop 256") << 256;
}

void TestArtwork::programIconRendersSmallAndLarge() {
    QFETCH(int, size);
    const QString path = QString::fromStdString(ResourceIconPath(kProgramIconId));
    QCOMPARE(path, QStringLiteral(":/icons/app/gemino.svg"));
    QVERIFY2(QFile::exists(path), "program icon missing");
    QVERIFY(FirstForeignElement(path).isEmpty());
    QSvgRenderer renderer(path);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 32, 32));
    const QImage image = Render(renderer, QSize(size, size));
    QVERIFY(Coverage(image) > 0.5);
    QVERIFY(CornersTransparent(image));
}

void TestArtwork::cueIsQuietAtItsEndsAndBelowFullScale_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");
    QTest::newRow("match") << "Match.wav" << 0.2 << 0.4;
    QTest::newRow("bonus") << "Bonus.wav" << 0.45 << 0.8;
    // Each pop holds up the scoring of a streak by its own length.
    QTest::newRow("pop") << "Pop.wav" << 0.10 << 0.15;
    QTest::newRow("you won") << "You Won.wav" << 1.5 << 2.0;
}

void TestArtwork::cueIsQuietAtItsEndsAndBelowFullScale() {
    QFETCH(QString, file);
    QFETCH(double, shortest);
    QFETCH(double, longest);
    QFile wav(QDir(QStringLiteral(GEMINO_SOUND_DIR)).filePath(file));
    QVERIFY2(wav.open(QIODevice::ReadOnly), qPrintable(wav.fileName() + " was not built"));
    QString error;
    const auto wave = ParseWave(wav.readAll(), &error);
    QVERIFY2(wave.has_value(), qPrintable(error));

    QCOMPARE(wave->format, 1);
    QCOMPARE(wave->channels, 1);
    QCOMPARE(wave->sampleRate, 44100);
    QCOMPARE(wave->bits, 16);
    QCOMPARE(wave->blockAlign, 2);
    QCOMPARE(wave->byteRate, 88200);

    const double seconds = double(wave->samples.size()) / wave->sampleRate;
    QVERIFY2(seconds >= shortest && seconds <= longest,
             qPrintable(QStringLiteral("lasts %1 s").arg(seconds)));

    QCOMPARE(wave->samples.front(), std::int16_t(0));
    QCOMPARE(wave->samples.back(), std::int16_t(0));
    int peak = 0;
    for (const std::int16_t s : wave->samples) {
        peak = std::max(peak, std::abs(int(s)));
    }
    const double peakDbfs = 20.0 * std::log10(std::max(peak, 1) / 32768.0);
    QVERIFY2(peakDbfs <= -1.0, qPrintable(QStringLiteral("peak %1 dBFS").arg(peakDbfs)));
    QVERIFY2(peakDbfs >= -12.0, qPrintable(QStringLiteral("too quiet: %1 dBFS").arg(peakDbfs)));
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"

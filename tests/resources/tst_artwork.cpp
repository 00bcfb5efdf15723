// The built-in pictures and sound cues are plain files that nothing but these checks reads
// before the game does: a number mapped to a misspelt file name, an empty SVG, a picture that
// paints the button's corners, a flag drawn in the wrong colours or at the wrong position of its
// set, or a cue the audio stack will not play would otherwise show up only in play.
#include "core/imagesets/standardsets.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <vector>

using namespace gemino;

namespace {

struct FlagLook {
    const char* country;
    std::vector<std::tuple<double, double, QRgb>> samples; // x and y in the 32-unit view box
};

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kUkBlue = 0x012169;
constexpr QRgb kUkRed = 0xC8102E;

// In set order, since each country name shows below its flag. The points sit well inside the
// fields that tell a flag from its neighbours in colour or layout.
const FlagLook kFlags[] = {
    // clang-format off
    {"Australia", {{28, 24, kUkBlue}, {9, 11, kUkRed}, {8.5, 21, kWhite}, {23.5, 22.6, kWhite}}},
    {"Belgium", {{5, 16, 0x000000}, {16, 16, 0xFDDA24}, {27, 16, 0xEF3340}}},
    {"Brazil", {{4, 8, 0x009C3B}, {7, 16, 0xFFDF00}, {14, 13, 0x002776}}},
    {"Canada", {{4, 16, 0xD52B1E}, {11, 8, kWhite}, {16, 16, 0xD52B1E}}},
    {"Denmark", {{5, 10, 0xC8102E}, {12.5, 8, kWhite}, {25, 15.5, kWhite}}},
    {"Finland", {{5, 9, kWhite}, {11.5, 8, 0x002F6C}, {25, 16, 0x002F6C}}},
    {"France", {{5, 16, 0x002395}, {16, 16, kWhite}, {27, 16, 0xED2939}}},
    {"Ireland", {{5, 16, 0x169B62}, {16, 16, kWhite}, {27, 16, 0xFF883E}}},
    {"Italy", {{5, 16, 0x009246}, {16, 16, kWhite}, {27, 16, 0xCE2B37}}},
    {"Japan", {{16, 16, 0xBC002D}, {12.5, 16, 0xBC002D}, {4, 9, kWhite}, {27, 23, kWhite}}},
    {"Mexico", {{5, 16, 0x006847}, {16, 8, kWhite}, {27, 16, 0xCE1126}, {15.5, 15, 0x7B4A1E}}},
    {"Netherlands", {{16, 9, 0xAE1C28}, {16, 16, kWhite}, {16, 23, 0x21468B}}},
    {"New Zealand", {{28, 24, kUkBlue}, {9, 11, kUkRed}, {23.5, 22, kUkRed}}},
    {"Norway", {{5, 9, 0xBA0C2F}, {9.5, 9, kWhite}, {11.5, 9, 0x00205B}, {25, 15.5, 0x00205B}}},
    {"Portugal", {{4, 9, 0x046A38}, {27, 9, 0xDA291C}, {13, 10.5, 0xFFE900}}},
    {"Spain", {{20, 8.5, 0xAA151B}, {20, 23.5, 0xAA151B}, {24, 16, 0xF1BF00}}},
    {"Sweden", {{5, 10, 0x006AA7}, {12, 8, 0xFECC02}, {25, 16, 0xFECC02}}},
    {"Switzerland", {{8, 8, 0xDA291C}, {24, 24, 0xDA291C}, {16, 16, kWhite}, {16, 11, kWhite}}},
    {"United Kingdom", {{16, 16, kUkRed}, {5, 9.6, kUkRed}, {5, 7.6, kWhite}, {10, 7.5, kUkBlue},
                        {22, 24.5, kUkBlue}}},
    {"United States", {{20, 19.1, 0xB22234}, {20, 17.5, kWhite}, {4.75, 9.25, 0x3C3B6E},
                       {2.25, 11.25, kWhite}}},
    // clang-format on
};
static_assert(std::size(kFlags) == FLAG_TEXTS.size());

constexpr std::array<int, 16> kToolbarCommands = {32773, 32795, 32777, 32778, 32779, 32789,
                                                  32796, 32782, 32781, 32771, 32772, 32791,
                                                  32774, 32787, 32794, 32790};

QString icon(int id) {
    return QString::fromStdString(resourceIconPath(id));
}

// Null when the file is missing or does not parse.
QImage render(const QString& path, QSize size) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return image;
}

// Share of the pixels that carry paint: an empty <svg/> is valid and renders as nothing.
double paintedShare(const QImage& image) {
    qint64 painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return double(painted) / (double(image.width()) * image.height());
}

bool near(QRgb got, QRgb expected) {
    // Per channel; the colours of flags that look alike differ by more.
    const auto near = [](int a, int b) { return std::abs(a - b) <= 32; };
    return qAlpha(got) == 255 && near(qRed(got), qRed(expected)) &&
           near(qGreen(got), qGreen(expected)) && near(qBlue(got), qBlue(expected));
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void pictureRenders_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("coverage");
        QTest::addColumn<bool>("clearCorners");
        // 139 serves two sets with one picture; any other shared file is a slip in the table.
        QSet<QString> files;
        for (const auto* ids :
             {&MISC_ICON_IDS, &TRAFFIC_ICON_IDS, &COMPUTER_ICON_IDS, &FLAG_ICON_IDS}) {
            for (const int id : *ids) {
                files.insert(icon(id));
                for (const int size : {32, 200})
                    QTest::addRow("#%d at %d", id, size)
                        << icon(id) << QSize(size, size) << 0.05 << true;
            }
        }
        QCOMPARE(files.size(), 79);
        // Menu items and toolbar buttons both reserve 16 x 15 pixels for the picture.
        for (const int command : kToolbarCommands)
            QTest::addRow("toolbar %d", command) << QStringLiteral(":/toolbar/%1.svg").arg(command)
                                                 << QSize(16, 15) << 0.15 << false;
        for (const int size : {16, 256})
            QTest::addRow("program icon at %d", size)
                << icon(kProgramIconId) << QSize(size, size) << 0.5 << true;
    }
    void pictureRenders() {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(double, coverage);
        QFETCH(bool, clearCorners);
        const QImage image = render(path, size);
        QVERIFY2(!image.isNull(), qPrintable(path + " is missing or does not parse"));
        QVERIFY2(paintedShare(image) > coverage,
                 qPrintable(QString("only %1 of the pixels painted").arg(paintedShare(image))));
        const int r = size.width() - 1;
        const int b = size.height() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
            QVERIFY(!clearCorners || qAlpha(image.pixel(corner)) == 0);
    }

    void flagShowsItsCountry() {
        for (std::size_t k = 0; k < std::size(kFlags); ++k) {
            const FlagLook& flag = kFlags[k];
            QCOMPARE(QString::fromUtf8(FLAG_TEXTS.at(k)), QString::fromUtf8(flag.country));
            const QImage image = render(icon(FLAG_ICON_IDS.at(k)), QSize(64, 64));
            for (const auto& [x, y, colour] : flag.samples) {
                const QRgb got = image.pixel(int(x * 2), int(y * 2));
                QVERIFY2(near(got, colour), flag.country);
            }
        }
    }

    // 16-bit PCM, mono, 44.1 kHz, sizes matching the file: what every audio backend plays.
    // Each pop holds up the scoring of a streak by its own length.
    void cueIsPlayablePcm() {
        for (const auto& [file, shortest, longest] : {std::tuple{"Match.wav", 0.2, 0.4},
                                                      {"Bonus.wav", 0.45, 0.8},
                                                      {"Pop.wav", 0.10, 0.15},
                                                      {"You Won.wav", 1.5, 2.0}}) {
            QFile wav(QDir(QStringLiteral(GEMINO_SOUND_DIR)).filePath(file));
            QVERIFY2(wav.open(QIODevice::ReadOnly), qPrintable(wav.fileName() + " was not built"));
            const QByteArray bytes = wav.readAll();
            QVERIFY2(bytes.size() > 46 && bytes.size() % 2 == 0, "truncated or odd-sized file");
            const auto le = [](quint32 v, int size) {
                v = qToLittleEndian(v);
                return QByteArray(reinterpret_cast<const char*>(&v), size);
            };
            const quint32 data = bytes.size() - 44;
            QCOMPARE(bytes.left(44).toHex(' '),
                     ("RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
                      le(44100, 4) + le(88200, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4))
                         .toHex(' '));

            std::vector<int> samples(data / 2);
            for (std::size_t i = 0; i < samples.size(); ++i)
                samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 44 + 2 * i);
            const double seconds = samples.size() / 44100.0;
            QVERIFY2(seconds >= shortest && seconds <= longest,
                     qPrintable(QString("%1 lasts %2 s").arg(file).arg(seconds)));
            // Silent ends keep the cue from clicking as it starts and stops.
            QCOMPARE(samples.front(), 0);
            QCOMPARE(samples.back(), 0);
            // The peak lies between -12 and -1 dBFS: audible, yet never clipping.
            const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
            const int peak = std::max(-*low, *high);
            QVERIFY2(peak >= 8231 && peak <= 29204, qPrintable(QString("peak %1").arg(peak)));
        }
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"

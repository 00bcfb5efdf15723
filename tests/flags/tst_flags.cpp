// The flag icons are drawn by hand; these checks catch a flag drawn in the wrong colours, a flag
// at the wrong position of the set (every country name shows below its flag), and artwork that
// paints outside the shared flag frame.
#include "imagesets/standardsets.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <QSvgRenderer>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

using namespace gemino;

namespace {

struct Sample {
    QPointF at; // in the 32-unit view box
    QColor colour;
};
using Samples = QList<Sample>;

} // namespace

Q_DECLARE_METATYPE(Sample)

namespace {

constexpr int kRenderSize = 64;
constexpr int kTolerance = 32; // per channel; the official colours of neighbours differ by more

// Official colours (sRGB) of the flags.
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kBlack(0x00, 0x00, 0x00);
const QColor kUkBlue(0x01, 0x21, 0x69);
const QColor kUkRed(0xC8, 0x10, 0x2E);

// A few points well inside each characteristic field of each flag.
const std::map<std::string, Samples>& FlagSamples() {
    static const std::map<std::string, Samples> samples = {
        {"Australia",
         {{{28, 24}, kUkBlue},
          {{20, 20}, kUkBlue},
          {{9, 11}, kUkRed},      // St George's cross in the canton
          {{7.25, 14}, kWhite},   // white edge of the cross in the canton
          {{8.5, 21}, kWhite},    // Commonwealth star
          {{23.5, 22.6}, kWhite}, // Alpha Crucis
          {{23.5, 9.4}, kWhite}}},
        {"Belgium",
         {{{5, 16}, kBlack},
          {{16, 16}, QColor(0xFD, 0xDA, 0x24)},
          {{27, 16}, QColor(0xEF, 0x33, 0x40)}}},
        {"Brazil",
         {{{4, 8}, QColor(0x00, 0x9C, 0x3B)},
          {{28, 24}, QColor(0x00, 0x9C, 0x3B)},
          {{7, 16}, QColor(0xFF, 0xDF, 0x00)},
          {{23, 16}, QColor(0xFF, 0xDF, 0x00)},
          {{14, 13}, QColor(0x00, 0x27, 0x76)}}},
        {"Canada",
         {{{4, 16}, QColor(0xD5, 0x2B, 0x1E)},
          {{28, 16}, QColor(0xD5, 0x2B, 0x1E)},
          {{11, 8}, kWhite},
          {{21, 24}, kWhite},
          {{16, 16}, QColor(0xD5, 0x2B, 0x1E)}}}, // maple leaf
        {"Denmark",
         {{{5, 10}, QColor(0xC8, 0x10, 0x2E)},
          {{25, 22}, QColor(0xC8, 0x10, 0x2E)},
          {{12.5, 8}, kWhite},
          {{25, 15.5}, kWhite},
          {{12.5, 15.5}, kWhite}}},
        {"Finland",
         {{{5, 9}, kWhite},
          {{25, 23}, kWhite},
          {{11.5, 8}, QColor(0x00, 0x2F, 0x6C)},
          {{25, 16}, QColor(0x00, 0x2F, 0x6C)},
          {{11.5, 16}, QColor(0x00, 0x2F, 0x6C)}}},
        {"France",
         {{{5, 16}, QColor(0x00, 0x23, 0x95)},
          {{16, 16}, kWhite},
          {{27, 16}, QColor(0xED, 0x29, 0x39)}}},
        {"Ireland",
         {{{5, 16}, QColor(0x16, 0x9B, 0x62)},
          {{16, 16}, kWhite},
          {{27, 16}, QColor(0xFF, 0x88, 0x3E)}}},
        {"Italy",
         {{{5, 16}, QColor(0x00, 0x92, 0x46)},
          {{16, 16}, kWhite},
          {{27, 16}, QColor(0xCE, 0x2B, 0x37)}}},
        {"Japan",
         {{{16, 16}, QColor(0xBC, 0x00, 0x2D)},
          {{19, 13}, QColor(0xBC, 0x00, 0x2D)},
          {{4, 9}, kWhite},
          {{27, 23}, kWhite},
          {{16, 8}, kWhite}}},
        {"Mexico",
         {{{5, 16}, QColor(0x00, 0x68, 0x47)},
          {{16, 8}, kWhite},
          {{16, 23}, kWhite},
          {{27, 16}, QColor(0xCE, 0x11, 0x26)},
          {{15.5, 15}, QColor(0x7B, 0x4A, 0x1E)}}}, // the eagle
        {"Netherlands",
         {{{16, 9}, QColor(0xAE, 0x1C, 0x28)},
          {{16, 16}, kWhite},
          {{16, 23}, QColor(0x21, 0x46, 0x8B)}}},
        {"New Zealand",
         {{{28, 24}, kUkBlue},
          {{12, 22}, kUkBlue},
          {{9, 11}, kUkRed},
          {{7.25, 14}, kWhite},
          {{23.5, 22}, kUkRed}, // the stars are red, edged in white
          {{19.3, 15.4}, kUkRed}}},
        {"Norway",
         {{{5, 9}, QColor(0xBA, 0x0C, 0x2F)},
          {{25, 23}, QColor(0xBA, 0x0C, 0x2F)},
          {{9.5, 9}, kWhite},
          {{25, 13.5}, kWhite},
          {{11.5, 9}, QColor(0x00, 0x20, 0x5B)},
          {{25, 15.5}, QColor(0x00, 0x20, 0x5B)},
          {{11.5, 15.5}, QColor(0x00, 0x20, 0x5B)}}},
        {"Portugal",
         {{{4, 9}, QColor(0x04, 0x6A, 0x38)},
          {{4, 23}, QColor(0x04, 0x6A, 0x38)},
          {{27, 9}, QColor(0xDA, 0x29, 0x1C)},
          {{27, 23}, QColor(0xDA, 0x29, 0x1C)},
          {{13, 10.5}, QColor(0xFF, 0xE9, 0x00)}}}, // armillary sphere
        {"Spain",
         {{{20, 8.5}, QColor(0xAA, 0x15, 0x1B)},
          {{20, 23.5}, QColor(0xAA, 0x15, 0x1B)},
          {{24, 16}, QColor(0xF1, 0xBF, 0x00)},
          {{20, 12}, QColor(0xF1, 0xBF, 0x00)}}},
        {"Sweden",
         {{{5, 10}, QColor(0x00, 0x6A, 0xA7)},
          {{25, 22}, QColor(0x00, 0x6A, 0xA7)},
          {{12, 8}, QColor(0xFE, 0xCC, 0x02)},
          {{25, 16}, QColor(0xFE, 0xCC, 0x02)},
          {{12, 16}, QColor(0xFE, 0xCC, 0x02)}}},
        {"Switzerland",
         {{{8, 8}, QColor(0xDA, 0x29, 0x1C)},
          {{24, 24}, QColor(0xDA, 0x29, 0x1C)},
          {{8, 23}, QColor(0xDA, 0x29, 0x1C)},
          {{16, 16}, kWhite},
          {{11, 16}, kWhite},
          {{16, 11}, kWhite}}},
        {"United Kingdom",
         {{{16, 16}, kUkRed},
          {{16, 8}, kUkRed},
          {{27, 16}, kUkRed},
          {{13.5, 22}, kWhite},
          {{5, 9.6}, kUkRed}, // counterchanged: broad white uppermost at the hoist
          {{5, 7.6}, kWhite},
          {{27, 22.4}, kUkRed},
          {{10, 7.5}, kUkBlue},
          {{3, 11.5}, kUkBlue},
          {{22, 24.5}, kUkBlue},
          {{29, 20.5}, kUkBlue}}},
        {"United States",
         {{{20, 19.1}, QColor(0xB2, 0x22, 0x34)},
          {{20, 24.6}, QColor(0xB2, 0x22, 0x34)},
          {{20, 17.5}, kWhite},
          {{20, 23.5}, kWhite},
          {{4.75, 9.25}, QColor(0x3C, 0x3B, 0x6E)},
          {{11, 15.7}, QColor(0x3C, 0x3B, 0x6E)},
          {{2.25, 11.25}, kWhite}}}, // a star
    };
    return samples;
}

QImage Render(int position, int size) {
    const QString path = QString::fromStdString(ResourceIconPath(FLAG_ICON_IDS.at(position)));
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image;
}

QColor PixelAt(const QImage& image, QPointF at) {
    const double scale = image.width() / 32.0;
    return image.pixelColor(static_cast<int>(at.x() * scale), static_cast<int>(at.y() * scale));
}

bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= kTolerance &&
           std::abs(a.green() - b.green()) <= kTolerance &&
           std::abs(a.blue() - b.blue()) <= kTolerance && std::abs(a.alpha() - b.alpha()) <= 8;
}

bool IsSwitzerland(int position) {
    return std::strcmp(FLAG_TEXTS.at(position), "Switzerland") == 0;
}

} // namespace

class TestFlags : public QObject {
    Q_OBJECT
private slots:
    void everyFlagIsAnSvgResource_data() { positions(); }
    void everyFlagIsAnSvgResource() {
        QFETCH(int, position);
        const QString path = QString::fromStdString(ResourceIconPath(FLAG_ICON_IDS.at(position)));
        QVERIFY(path.startsWith(":/icons/flags/"));
        QSvgRenderer renderer(path);
        QVERIFY2(renderer.isValid(), qPrintable(path));
        QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 32, 32));
    }

    void flagColours_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<Samples>("samples");
        for (int k = 0; k < static_cast<int>(FLAG_TEXTS.size()); ++k) {
            const auto found = FlagSamples().find(FLAG_TEXTS.at(k));
            QVERIFY2(found != FlagSamples().end(), FLAG_TEXTS.at(k));
            QTest::newRow(FLAG_TEXTS.at(k)) << k << found->second;
        }
        QCOMPARE(FlagSamples().size(), FLAG_TEXTS.size());
    }
    void flagColours() {
        QFETCH(int, position);
        QFETCH(Samples, samples);
        const QImage image = Render(position, kRenderSize);
        QVERIFY(!image.isNull());
        for (const Sample& sample : samples) {
            const QColor got = PixelAt(image, sample.at);
            QVERIFY2(Near(got, sample.colour),
                     qPrintable(QStringLiteral("at (%1, %2): got %3 alpha %4, expected %5")
                                    .arg(sample.at.x())
                                    .arg(sample.at.y())
                                    .arg(got.name())
                                    .arg(got.alpha())
                                    .arg(sample.colour.name())));
        }
    }

    // Every flag sits in the same frame: x 1..31, y 6..26 (Switzerland's square x 6..26) with a
    // dark outline, nothing painted around it.
    void sharedFrame_data() { positions(); }
    void sharedFrame() {
        QFETCH(int, position);
        const QImage image = Render(position, kRenderSize);
        QVERIFY(!image.isNull());
        const double left = IsSwitzerland(position) ? 6 : 1;
        const double right = IsSwitzerland(position) ? 26 : 31;
        const QPointF outline[] = {{left + 0.5, 16}, {right - 0.5, 16}, {16, 6.5}, {16, 25.5}};
        for (const QPointF& at : outline) {
            const QColor got = PixelAt(image, at);
            QVERIFY2(got.alpha() == 255 && got.red() < 0x40 && got.green() < 0x40 &&
                         got.blue() < 0x40,
                     qPrintable(QStringLiteral("outline at (%1, %2) is %3")
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(got.name(QColor::HexArgb))));
        }
        const QPointF outside[] = {{left - 0.5, 16}, {right + 0.25, 16}, {16, 5.5},
                                   {16, 26.25},      {left - 0.5, 6.5},  {right + 0.25, 25.5}};
        for (const QPointF& at : outside) {
            QVERIFY2(PixelAt(image, at).alpha() == 0,
                     qPrintable(QStringLiteral("painted outside the frame at (%1, %2)")
                                    .arg(at.x())
                                    .arg(at.y())));
        }
    }

    void transparentCorners_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("size");
        for (int size : {32, 200}) {
            for (int k = 0; k < static_cast<int>(FLAG_TEXTS.size()); ++k) {
                QTest::addRow("%s at %d", FLAG_TEXTS.at(k), size) << k << size;
            }
        }
    }
    void transparentCorners() {
        QFETCH(int, position);
        QFETCH(int, size);
        const QImage image = Render(position, size);
        QVERIFY(!image.isNull());
        const int last = size - 1;
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(last, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(0, last).alpha(), 0);
        QCOMPARE(image.pixelColor(last, last).alpha(), 0);
    }

    // Flags that share colours must still differ: a sample table that fits two flags could not
    // tell them apart when one replaces the other.
    void samplesTellEveryFlagApart() {
        QList<QImage> images;
        for (int k = 0; k < static_cast<int>(FLAG_TEXTS.size()); ++k) {
            images.append(Render(k, kRenderSize));
            QVERIFY(!images.last().isNull());
        }
        for (int k = 0; k < images.size(); ++k) {
            const Samples& samples = FlagSamples().at(FLAG_TEXTS.at(k));
            for (int other = 0; other < images.size(); ++other) {
                if (other == k) {
                    continue;
                }
                const bool fits = std::all_of(samples.begin(), samples.end(), [&](const Sample& s) {
                    return Near(PixelAt(images.at(other), s.at), s.colour);
                });
                QVERIFY2(!fits, qPrintable(QStringLiteral("the samples of %1 also fit %2")
                                               .arg(FLAG_TEXTS.at(k), FLAG_TEXTS.at(other))));
            }
        }
    }

private:
    static void positions() {
        QTest::addColumn<int>("position");
        for (int k = 0; k < static_cast<int>(FLAG_TEXTS.size()); ++k) {
            QTest::newRow(FLAG_TEXTS.at(k)) << k;
        }
    }
};

QTEST_MAIN(TestFlags)
#include "tst_flags.moc"

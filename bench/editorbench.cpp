// editorbench [WORK_DIR]
//   Fills the image set editor's source list from an icon library of 200 icon groups and
//   compares the time with decoding the same groups, as 200 .ico files, with Qt's ICO reader
//   alone. Each group holds DIB images of 16, 24, 32 and 48 pixels (as Qt's ICO writer makes
//   them: 32 bits with a mask) and every other group a 256-pixel PNG image as well. The files
//   are made here (in WORK_DIR, by default a temporary folder). Runs both sides RUNS times (default
//   7), prints the medians and their ratio, and exits 1 when filling the list costs more than
//   1.5 times Qt's reader alone.
#include "core/settings/memorysettingsstore.h"
#include "qt/editor/createimagesetdialog.h"
#include "support/nemodule.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QListWidget>
#include <QPainter>
#include <QRadialGradient>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kGroups = 200;
constexpr double kTarget = 1.5;

using Bytes = std::vector<unsigned char>;

// A round picture with a soft edge, different for every group.
QImage artFor(int group, int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(side / 3.0, side / 3.0, side * 0.7);
    gradient.setColorAt(0, QColor::fromHsv(group * 37 % 360, 90, 255));
    gradient.setColorAt(1, QColor::fromHsv(group * 37 % 360, 255, 120));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
    painter.drawRect(QRectF(side * 0.55, side * 0.55, side * 0.4, side * 0.4));
    return image;
}

// The one image of a single-image stream written by Qt's ICO writer: a DIB with its mask.
QByteArray dibOf(const QImage& image) {
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "ico").write(image) || ico.size() < 22) {
        return {};
    }
    const auto le32 = [&ico](int at) {
        return quint32(quint8(ico[at])) | quint32(quint8(ico[at + 1])) << 8 |
               quint32(quint8(ico[at + 2])) << 16 | quint32(quint8(ico[at + 3])) << 24;
    };
    return ico.mid(qsizetype(le32(18)), qsizetype(le32(14)));
}

void put(QByteArray& out, int at, quint32 value, int n) {
    for (int i = 0; i < n; ++i) {
        out[at + i] = char(value >> (8 * i));
    }
}

// An ICO stream of the images, each given as (side, bit count, bytes).
QByteArray icoStream(const std::vector<std::tuple<int, int, QByteArray>>& images) {
    QByteArray out(6 + 16 * qsizetype(images.size()), '\0');
    put(out, 2, 1, 2);
    put(out, 4, quint32(images.size()), 2);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto& [side, bits, data] = images[i];
        const int entry = 6 + 16 * int(i);
        out[entry] = char(side & 0xFF); // 256 is written as 0
        out[entry + 1] = char(side & 0xFF);
        put(out, entry + 4, 1, 2);
        put(out, entry + 6, quint32(bits), 2);
        put(out, entry + 8, quint32(data.size()), 4);
        put(out, entry + 12, quint32(out.size()), 4);
        out += data;
    }
    return out;
}

QByteArray iconGroup(int group) {
    std::vector<std::tuple<int, int, QByteArray>> images;
    for (const int side : {16, 24, 32, 48}) {
        const QByteArray dib = dibOf(artFor(group, side));
        // The directory repeats the bit count of the image's own header.
        images.emplace_back(side, dib.size() > 15 ? quint8(dib[14]) : 0, dib);
    }
    if (group % 2 == 0) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        artFor(group, 256).save(&buffer, "PNG");
        images.emplace_back(256, 32, png);
    }
    return icoStream(images);
}

bool writeFile(const QString& path, const char* data, qsizetype size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data, size) == size;
}

int decodeWithQt(const QStringList& icoFiles) {
    int decoded = 0;
    for (const QString& path : icoFiles) {
        QImageReader reader(path, "ico");
        const int images = reader.imageCount();
        for (int i = 0; i < images; ++i) {
            decoded += reader.jumpToImage(i) && !reader.read().isNull();
        }
    }
    return decoded;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString work = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    if (!QDir().mkpath(work + "/ico")) {
        std::fprintf(stderr, "editorbench: cannot create %s\n", qPrintable(work));
        return 2;
    }

    std::vector<gemino::test::NeGroup> groups;
    QStringList icoFiles;
    for (int g = 0; g < kGroups; ++g) {
        const QByteArray ico = iconGroup(g);
        icoFiles << QString("%1/ico/group%2.ico").arg(work).arg(g, 3, 10, QChar('0'));
        if (!writeFile(icoFiles.last(), ico.constData(), ico.size())) {
            return 2;
        }
        groups.push_back({"", std::uint16_t(g + 1), Bytes(ico.begin(), ico.end())});
    }
    const Bytes module = gemino::test::buildNeModule(groups, 9);
    const QString library = work + "/bench200.icl";
    if (!writeFile(library, reinterpret_cast<const char*>(module.data()),
                   qsizetype(module.size()))) {
        return 2;
    }

    gemino::MemorySettingsStore store;
    gemino::CreateImageSetDialog dialog(store, work);
    const auto* list = dialog.findChild<QListWidget*>("1115");
    const int runs = std::max(
        1, qEnvironmentVariableIntValue("RUNS") > 0 ? qEnvironmentVariableIntValue("RUNS") : 7);
    std::vector<double> editor;
    std::vector<double> qt;
    int decoded = 0;
    for (int run = 0; run <= runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        dialog.editor().LoadSource(library.toStdString());
        const double editorMs = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        decoded = decodeWithQt(icoFiles);
        const double qtMs = double(timer.nsecsElapsed()) / 1e6;
        // The first run only warms the page cache.
        if (run > 0) {
            editor.push_back(editorMs);
            qt.push_back(qtMs);
        }
    }
    const double ours = median(editor);
    const double theirs = median(qt);
    const double ratio = ours / theirs;
    std::printf("source list: %d items from %d groups in %.1f ms; Qt's ICO reader alone: %d "
                "images of %d .ico files in %.1f ms (medians of %d); ratio %.2f, target at most "
                "%.1f\n",
                list->count(), kGroups, ours, decoded, int(icoFiles.size()), theirs, runs, ratio,
                kTarget);
    return ratio <= kTarget ? 0 : 1;
}

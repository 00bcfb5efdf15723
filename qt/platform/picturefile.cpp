#include "qt/platform/picturefile.h"

#include "core/imagesets/imagesource.h"
#include "core/imagesets/pictureheader.h"
#include "qt/platform/icondecode.h"
#include "qt/platform/thumbnailcache.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QSemaphore>
#include <QSize>
#include <QString>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <mutex>

namespace gemino {

namespace {

// Boards and lists never draw a picture larger than this.
constexpr int kMaxSide = 4096;
// Pictures decoded at the same time share this much memory: a decode waits until its estimated
// cost is free, so workers on every core cannot add up to more than two of the largest decodes.
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr int kDecodeBudgetMiB = static_cast<int>(2 * kMaxDecodeBytes / kMiB);

QSemaphore& decodeBudget() {
    static QSemaphore budget(kDecodeBudgetMiB);
    return budget;
}

// A share of the budget, held for one decode.
class BudgetShare {
public:
    explicit BudgetShare(std::uint64_t bytes)
        : mebibytes_(static_cast<int>(
              std::clamp<std::uint64_t>((bytes + kMiB - 1) / kMiB, 1, kDecodeBudgetMiB))) {
        decodeBudget().acquire(mebibytes_);
    }
    ~BudgetShare() { decodeBudget().release(mebibytes_); }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;

private:
    int mebibytes_;
};

const char* qtFormat(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Svg:
    case PictureFormat::Svgz:
        return "svg";
    }
    return "";
}

// The text of an SVG or SVGZ file, never more than kMaxSvgBytes whatever the compressed file
// claims: Qt's own reader inflates an SVGZ without a limit.
QByteArray svgText(const QString& path, PictureFormat format) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray stored = file.read(static_cast<qint64>(kMaxSvgBytes) + 1);
    if (static_cast<std::uint64_t>(stored.size()) > kMaxSvgBytes) {
        return {};
    }
    if (format == PictureFormat::Svg) {
        return stored;
    }
    z_stream stream{};
    // 15 + 16: a gzip stream with the largest window.
    if (inflateInit2(&stream, 15 + 16) != Z_OK) {
        return {};
    }
    QByteArray text;
    std::array<char, 64 * 1024> chunk{};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.constData()));
    stream.avail_in = static_cast<uInt>(stored.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
        stream.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&stream, Z_NO_FLUSH);
        const auto produced = static_cast<qsizetype>(chunk.size() - stream.avail_out);
        if ((status != Z_OK && status != Z_STREAM_END) ||
            static_cast<std::uint64_t>(text.size() + produced) > kMaxSvgBytes ||
            (status == Z_OK && produced == 0 && stream.avail_in == 0)) {
            inflateEnd(&stream);
            return {};
        }
        text.append(chunk.data(), produced);
    }
    inflateEnd(&stream);
    return text;
}

// An SVG drawn onto size x size, its picture stretched as every cell's is.
QImage renderSvg(const QString& path, PictureFormat format, int size) {
    QByteArray text = svgText(path, format);
    if (text.isEmpty()) {
        return {};
    }
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setAutoDetectImageFormat(false);
    reader.setScaledSize(QSize(size, size));
    return reader.read();
}

// A raster picture fitted into box x box, keeping its shape and never enlarged; upright when
// the file says how the camera was held, as file managers show it.
QImage decodeFitted(const QString& path, const PictureHeader& header, int box) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // The decoder is the one for the format the header was checked as, never one guessed
    // from the name or from bytes that no check has seen.
    QImageReader reader(&file, qtFormat(header.format));
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    const QSize full(static_cast<int>(header.width), static_cast<int>(header.height));
    if (full.width() > box || full.height() > box) {
        reader.setScaledSize(full.scaled(box, box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    // The form a thumbnail reads back in, so a picture looks the same whether it was decoded
    // or taken from the cache.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

QImage stretched(const QImage& image, int size) {
    if (image.size() == QSize(size, size)) {
        return image;
    }
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

void installPictureLimits() {
    static std::once_flag once;
    std::call_once(once, [] {
        // A second fence behind the header checks: Qt refuses any image larger than this.
        QImageReader::setAllocationLimit(static_cast<int>(kMaxDecodeBytes / kMiB));
    });
}

bool isUsablePicture(const QString& path) {
    return checkPictureFile(path.toStdString(), PictureCheckDepth::Header).accepted();
}

QImage loadPictureImage(const QString& path, int size) {
    installPictureLimits();
    if (size <= 0 || size > kMaxSide) {
        return {};
    }
    const std::unique_ptr<PictureBytes> bytes = openPictureFile(path.toStdString());
    if (!bytes) {
        return {};
    }
    const PictureCheck check = checkPicture(*bytes, PictureCheckDepth::Header);
    if (!check.accepted()) {
        return {};
    }
    const PictureHeader& header = *check.header;
    if (header.format == PictureFormat::Svg || header.format == PictureFormat::Svgz) {
        const BudgetShare share(header.decodeCost);
        return renderSvg(path, header.format, size);
    }

    // A picture larger than the thumbnail that covers this cell is taken from the cache when it
    // is there, and put there once it is decoded.
    const QFileInfo info(path);
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    const int side = thumbnails::standardSide(width, height, size);
    const bool cached = side > 0 && (width > side || height > side);
    if (cached) {
        const QImage thumbnail = thumbnails::find(info, side, size);
        if (!thumbnail.isNull()) {
            return stretched(thumbnail, size);
        }
    }
    if (header.progressive) {
        const std::optional<std::uint64_t> visits = jpegBlockVisits(*bytes, header);
        if (!visits || *visits > kMaxJpegBlockVisits) {
            return {};
        }
    }
    const BudgetShare share(header.decodeCost);
    const QImage picture = decodeFitted(path, header, cached ? side : size);
    if (picture.isNull()) {
        return {};
    }
    if (cached) {
        thumbnails::store(info, side, picture, width, height);
    }
    return stretched(picture, size);
}

QPixmap loadPicturePixmap(const QString& path, int size) {
    const QImage image = loadPictureImage(path, size);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QPixmap loadEditorImage(const QString& path, int index) {
    if (isPictureSource(path.toStdString())) {
        return loadPicturePixmap(path, kEditorImageSide);
    }
    const QIcon icon = LoadFileIcon(path, index);
    if (icon.isNull()) {
        return {};
    }
    return icon.pixmap(QSize(kEditorImageSide, kEditorImageSide));
}

} // namespace gemino

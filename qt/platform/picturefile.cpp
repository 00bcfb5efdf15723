#include "qt/platform/picturefile.h"

#include "core/iconfile/iconfile.h"
#include "core/imagesets/imagesource.h"
#include "qt/platform/icondecode.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>

namespace gemino {

namespace {

// Decoded pictures stay below Qt's own default allocation limit, and below what the file could
// plausibly unpack to: no compression in these formats gains more than about a thousand times.
constexpr std::uint64_t kMaxDecodedBytes = 128u * 1024 * 1024;
constexpr std::uint64_t kFreeDecodedBytes = 16u * 1024 * 1024;
constexpr std::uint64_t kMaxExpansion = 1024;
// Boards and lists never draw a picture larger than this.
constexpr int kMaxSide = 4096;

bool isVector(const QByteArray& format) {
    return format == "svg" || format == "svgz";
}

bool isAllowedFormat(const QByteArray& format) {
    static const std::array<QByteArray, 6> kFormats = {"bmp", "jpeg", "png", "gif", "svg", "svgz"};
    return std::find(kFormats.begin(), kFormats.end(), format) != kFormats.end();
}

} // namespace

QImage loadPictureImage(const QString& path, int size) {
    if (size <= 0 || size > kMaxSide || !iconfile::isRegularFile(path.toStdString())) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QImageReader reader(&file);
    const QByteArray format = reader.format().toLower();
    if (!isAllowedFormat(format)) {
        return {};
    }
    if (!isVector(format)) {
        const QSize full = reader.size();
        if (full.isEmpty()) {
            return {};
        }
        std::uint64_t bytes = std::uint64_t(full.width()) * std::uint64_t(full.height()) * 4;
        if (format == "jpeg") {
            bytes /= 64; // the JPEG reader decodes straight at an eighth of the size or more
        }
        const std::uint64_t justified =
            std::max(kFreeDecodedBytes, kMaxExpansion * static_cast<std::uint64_t>(file.size()));
        if (bytes > kMaxDecodedBytes || bytes > justified) {
            return {};
        }
    }
    reader.setScaledSize(QSize(size, size));
    QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    if (image.size() != QSize(size, size)) {
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
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

#include "qt/platform/thumbnailcache.h"

#include "core/imagesets/pictureheader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QSize>
#include <QUrl>

#include <array>

namespace gemino::thumbnails {

namespace {

struct StandardSize {
    int side;
    const char* folder;
};
constexpr std::array<StandardSize, 4> kSizes = {
    {{128, "normal"}, {256, "large"}, {512, "x-large"}, {1024, "xx-large"}}};

constexpr QFileDevice::Permissions kPrivateFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString fileName(const QByteArray& uri) {
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

QString modificationTime(const QFileInfo& original) {
    return QString::number(original.lastModified().toSecsSinceEpoch());
}

// Thumbnails are never made of thumbnails.
bool insideCache(const QFileInfo& original) {
    const QString cache = QFileInfo(cacheFolder()).canonicalFilePath();
    const QString file = original.canonicalFilePath();
    return !cache.isEmpty() && file.startsWith(cache + QLatin1Char('/'));
}

// Creates the folders the standard asks for, readable by their owner alone.
bool makeFolder(const QString& folder) {
    const QString root = cacheFolder();
    for (const QString& path : {root, folder}) {
        if (QFileInfo::exists(path)) {
            continue;
        }
        if (!QDir().mkpath(path)) {
            return false;
        }
        QFile::setPermissions(path, kPrivateFolder);
    }
    return true;
}

} // namespace

int standardSide(int width, int height, int cell) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    for (const StandardSize& size : kSizes) {
        const QSize fitted = QSize(width, height).scaled(size.side, size.side, Qt::KeepAspectRatio);
        if (fitted.width() >= cell && fitted.height() >= cell) {
            return size.side;
        }
    }
    return 0;
}

QString cacheFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    // A relative value is ignored, as freedesktop.org's base directories have it.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.cache");
    }
    return QDir::cleanPath(base + QStringLiteral("/thumbnails"));
}

QByteArray fileUri(const QString& absolutePath) {
    return QUrl::fromLocalFile(QDir::cleanPath(absolutePath)).toEncoded();
}

QString thumbnailPath(const QString& absolutePath, int side) {
    for (const StandardSize& size : kSizes) {
        if (size.side == side) {
            return cacheFolder() + QLatin1Char('/') + QLatin1String(size.folder) +
                   QLatin1Char('/') + fileName(fileUri(absolutePath));
        }
    }
    return {};
}

QImage find(const QFileInfo& original, int side, int least) {
    if (insideCache(original)) {
        return {};
    }
    const QByteArray uri = fileUri(original.absoluteFilePath());
    const QString mtime = modificationTime(original);
    for (const StandardSize& size : kSizes) {
        if (size.side < side) {
            continue;
        }
        const QString path = thumbnailPath(original.absoluteFilePath(), size.side);
        // Whoever wrote it, a thumbnail is a file like any other: its header is checked first.
        const PictureCheck check = checkPictureFile(path.toStdString(), PictureCheckDepth::Header);
        if (!check.accepted() || check.header->format != PictureFormat::Png ||
            check.header->width > static_cast<unsigned>(size.side) ||
            check.header->height > static_cast<unsigned>(size.side)) {
            continue;
        }
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (image.isNull() || image.text(QStringLiteral("Thumb::URI")).toUtf8() != uri ||
            image.text(QStringLiteral("Thumb::MTime")) != mtime || image.width() < least ||
            image.height() < least) {
            continue;
        }
        return image;
    }
    return {};
}

void store(const QFileInfo& original, int side, const QImage& picture, int originalWidth,
           int originalHeight) {
    const QString path = thumbnailPath(original.absoluteFilePath(), side);
    if (path.isEmpty() || picture.isNull() || insideCache(original) ||
        !makeFolder(QFileInfo(path).path())) {
        return;
    }
    QImage thumbnail = picture;
    thumbnail.setText(QStringLiteral("Thumb::URI"),
                      QString::fromUtf8(fileUri(original.absoluteFilePath())));
    thumbnail.setText(QStringLiteral("Thumb::MTime"), modificationTime(original));
    thumbnail.setText(QStringLiteral("Thumb::Size"), QString::number(original.size()));
    thumbnail.setText(QStringLiteral("Thumb::Image::Width"), QString::number(originalWidth));
    thumbnail.setText(QStringLiteral("Thumb::Image::Height"), QString::number(originalHeight));
    thumbnail.setText(QStringLiteral("Software"), QStringLiteral("Gemino"));

    // Written beside its place and renamed over it, so no reader sees half a thumbnail.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    file.setPermissions(kPrivateFile);
    QImageWriter writer(&file, "png");
    if (!writer.write(thumbnail)) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

} // namespace gemino::thumbnails

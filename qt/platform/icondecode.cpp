#include "qt/platform/icondecode.h"

#include "core/iconfile/iconfile.h"
#include "core/imagesets/pictureheader.h"
#include "qt/platform/picturefile.h"

#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace gemino {

namespace {

int side(const QImage& image) {
    return std::max(image.width(), image.height());
}

// Whole-number enlargements keep the hard edges of pixel art; anything else is resampled.
QImage stretch(const QImage& image, const QSize& size) {
    if (image.size() == size) {
        return image;
    }
    const bool wholeFactor = size.width() % image.width() == 0 &&
                             size.height() % image.height() == 0 &&
                             size.width() / image.width() == size.height() / image.height();
    const auto mode = wholeFactor ? Qt::FastTransformation : Qt::SmoothTransformation;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(size, Qt::IgnoreAspectRatio, mode);
}

QImage disabled(QImage image) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int gray = qGray(row[x]);
            row[x] = qRgba(gray, gray, gray, qAlpha(row[x]) / 2);
        }
    }
    return image;
}

class FileIconEngine final : public QIconEngine {
public:
    explicit FileIconEngine(std::vector<IconImage> images) : images_(std::move(images)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : qreal(1);
        painter->drawPixmap(rect, pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return images_.empty() ? QSize() : size;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (images_.empty() || size.isEmpty()) {
            return {};
        }
        for (const Cached& cached : cache_) {
            if (cached.size == size && cached.mode == mode) {
                return cached.pixmap;
            }
        }
        QImage image = iconCellImage(images_, size);
        if (mode == QIcon::Disabled) {
            image = disabled(std::move(image));
        }
        // Boards redraw at one or two sizes; a few entries cover them without growing.
        if (cache_.size() == 4) {
            cache_.erase(cache_.begin());
        }
        cache_.push_back({size, mode, QPixmap::fromImage(image)});
        return cache_.back().pixmap;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const IconImage& image : images_) {
            if (!sizes.contains(image.image.size())) {
                sizes.append(image.image.size());
            }
        }
        return sizes;
    }

    QString key() const override { return QStringLiteral("gemino.fileicon"); }
    QIconEngine* clone() const override { return new FileIconEngine(images_); }
    bool isNull() override { return images_.empty(); }

private:
    struct Cached {
        QSize size;
        QIcon::Mode mode;
        QPixmap pixmap;
    };
    std::vector<IconImage> images_;
    std::vector<Cached> cache_;
};

QIcon iconFromIco(const std::optional<std::vector<unsigned char>>& ico) {
    return ico ? iconFromImages(decodeIcoImages(*ico)) : QIcon();
}

// A PNG inside an icon passes the checks of any picture file before Qt decodes it.
bool isDecodablePng(std::span<const unsigned char> png) {
    SpanPictureBytes bytes(png);
    const PictureCheck check = checkPicture(bytes, PictureCheckDepth::Header);
    return check.accepted() && check.header->format == PictureFormat::Png;
}

} // namespace

bool icoHasPicture(std::span<const unsigned char> ico) {
    const std::vector<iconfile::IcoImage> images = iconfile::icoImages(ico);
    return std::any_of(images.begin(), images.end(), [](const iconfile::IcoImage& image) {
        return !image.info.png || isDecodablePng(image.data);
    });
}

std::vector<IconImage> decodeIcoImages(std::span<const unsigned char> ico) {
    installPictureLimits();
    std::vector<IconImage> images;
    for (const iconfile::IcoImage& found : iconfile::icoImages(ico)) {
        IconImage decoded;
        decoded.bitCount = found.info.bitCount;
        if (found.info.png) {
            QImage png;
            if (!isDecodablePng(found.data) ||
                !png.loadFromData(found.data.data(), static_cast<int>(found.data.size()), "PNG") ||
                png.width() != found.info.width || png.height() != found.info.height) {
                continue;
            }
            decoded.image = png.convertToFormat(QImage::Format_ARGB32);
        } else {
            decoded.image = QImage(found.info.width, found.info.height, QImage::Format_ARGB32);
            if (decoded.image.isNull() ||
                !iconfile::decodeDib(found.data,
                                     reinterpret_cast<std::uint32_t*>(decoded.image.bits()),
                                     static_cast<std::size_t>(decoded.image.bytesPerLine()) / 4)) {
                continue;
            }
        }
        images.push_back(std::move(decoded));
    }
    return images;
}

QImage iconCellImage(const std::vector<IconImage>& images, const QSize& size) {
    if (images.empty() || size.isEmpty()) {
        return {};
    }
    const int want = std::max(size.width(), size.height());
    // Ranks images by how well they suit the cell: covering it beats not, then closer in
    // size, then deeper.
    const auto better = [want](const IconImage& a, const IconImage& b) {
        const int sideA = side(a.image);
        const int sideB = side(b.image);
        const bool coversA = sideA >= want;
        const bool coversB = sideB >= want;
        if (coversA != coversB) {
            return coversA;
        }
        if (sideA != sideB) {
            return coversA ? sideA < sideB : sideA > sideB;
        }
        return a.bitCount > b.bitCount;
    };
    const auto best = std::min_element(images.begin(), images.end(), better);
    return stretch(best->image, size);
}

QIcon iconFromImages(std::vector<IconImage> images) {
    if (images.empty()) {
        return {};
    }
    return QIcon(new FileIconEngine(std::move(images)));
}

int fileIconCount(const QString& path) {
    return iconfile::iconCount(path.toStdString());
}

QIcon LoadFileIcon(const QString& path, int index) {
    return iconFromIco(iconfile::groupAsIco(path.toStdString(), index));
}

QList<QIcon> loadFileIcons(const QString& path) {
    auto file = iconfile::IconFile::open(path.toStdString());
    QList<QIcon> icons;
    for (int i = 0; i < file.iconCount(); ++i) {
        icons.append(iconFromIco(file.groupAsIco(i)));
    }
    return icons;
}

} // namespace gemino

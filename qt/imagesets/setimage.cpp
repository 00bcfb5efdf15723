#include "qt/imagesets/setimage.h"

#include "core/imagesets/standardsets.h"
#include "qt/platform/icondecode.h"
#include "qt/platform/picturefile.h"

#include <QFile>
#include <QPainter>
#include <QRect>
#include <QSvgRenderer>

#include <algorithm>

namespace gemino {

namespace {

// Rendered sizes kept per vector icon; a board uses one size at a time, editors another.
constexpr std::size_t kRenderedSizesKept = 4;

} // namespace

CSetImage::CSetImage() = default;
CSetImage::~CSetImage() = default;

bool CSetImage::LoadResourceIcon(int id) {
    icon = QIcon();
    resource_.clear();
    vector_.reset();
    renderedSizes_.clear();
    const QString resource = QString::fromStdString(resourceIconPath(id));
    if (resource.isEmpty() || !QFile::exists(resource)) {
        return false;
    }
    resource_ = resource;
    pending_ = false;
    isBitmap = false;
    bitmap = QPixmap();
    path.clear();
    text.clear();
    index = -1;
    return true;
}

bool CSetImage::LoadFileIcon(const QString& file, int iconIndex) {
    pending_ = false;
    resource_.clear();
    vector_.reset();
    renderedSizes_.clear();
    icon = gemino::LoadFileIcon(file, iconIndex);
    if (icon.isNull()) {
        return false;
    }
    isBitmap = false;
    bitmap = QPixmap();
    path.clear();
    text.clear();
    index = iconIndex;
    return true;
}

bool CSetImage::LoadBitmapFile(const QString& file, int size) {
    pending_ = false;
    bitmap = gemino::loadPicturePixmap(file, size);
    if (bitmap.isNull()) {
        return false;
    }
    isBitmap = true;
    icon = QIcon();
    resource_.clear();
    vector_.reset();
    renderedSizes_.clear();
    path = file;
    text.clear();
    index = -1;
    return true;
}

void CSetImage::awaitBitmap(const QString& file) {
    resource_.clear();
    vector_.reset();
    renderedSizes_.clear();
    icon = QIcon();
    bitmap = QPixmap();
    isBitmap = true;
    path = file;
    index = -1;
    pending_ = true;
}

void CSetImage::awaitIcon(int iconIndex) {
    resource_.clear();
    vector_.reset();
    renderedSizes_.clear();
    icon = QIcon();
    bitmap = QPixmap();
    isBitmap = false;
    path.clear();
    index = iconIndex;
    pending_ = true;
}

void CSetImage::setBitmap(const QPixmap& picture) {
    pending_ = false;
    if (picture.isNull() && bitmap.isNull()) {
        // Never had one: an image without a picture, as a new record that failed to load.
        isBitmap = false;
        path.clear();
        return;
    }
    bitmap = picture;
}

void CSetImage::setIcon(const QIcon& picture) {
    pending_ = false;
    icon = picture;
}

bool CSetImage::hasPicture() const {
    return isBitmap ? !bitmap.isNull() : (!resource_.isEmpty() || !icon.isNull());
}

void CSetImage::draw(QPainter& painter, const QRect& target) const {
    if (isBitmap) {
        if (!bitmap.isNull()) {
            painter.drawPixmap(target, bitmap);
        }
        return;
    }
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
    if (!resource_.isEmpty() && !vector_) {
        vector_ = std::make_shared<QSvgRenderer>(resource_);
    }
    if (vector_ && vector_->isValid()) {
        auto cached = std::find_if(renderedSizes_.begin(), renderedSizes_.end(),
                                   [&](const QPixmap& p) { return p.size() == pixels; });
        if (cached == renderedSizes_.end()) {
            QPixmap rendered(pixels);
            rendered.fill(Qt::transparent);
            QPainter p(&rendered);
            vector_->render(&p, QRectF(QPointF(0, 0), QSizeF(pixels)));
            p.end();
            if (renderedSizes_.size() >= kRenderedSizesKept) {
                renderedSizes_.erase(renderedSizes_.begin());
            }
            renderedSizes_.push_back(rendered);
            cached = renderedSizes_.end() - 1;
        }
        painter.drawPixmap(target, *cached);
        return;
    }
    if (!icon.isNull()) {
        // The group's best size for this cell, stretched to fill it as a cell must be.
        const QPixmap best = icon.pixmap(pixels);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, best);
        painter.restore();
    }
}

} // namespace gemino

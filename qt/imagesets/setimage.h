#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QRect;
class QSvgRenderer;

namespace gemino {

// One image of the set in use: an icon or a bitmap, with its source and its text.
class CSetImage {
public:
    CSetImage();
    virtual ~CSetImage();
    CSetImage(const CSetImage&) = delete;
    CSetImage& operator=(const CSetImage&) = delete;

    // Each returns true on success; on failure only the picture it tried to set is cleared.
    bool LoadResourceIcon(int id);
    bool LoadFileIcon(const QString& path, int index);
    bool LoadBitmapFile(const QString& path, int size);

    // A picture decoded elsewhere is on its way: until it arrives the image is drawn as a quiet
    // placeholder. A picture file's image is a bitmap from the start, with its path.
    void awaitBitmap(const QString& path);
    void awaitIcon(int index);
    // The arrived picture; a null one leaves the image without a picture, as a failed load does.
    void setBitmap(const QPixmap& picture);
    void setIcon(const QIcon& picture);
    bool picturePending() const { return pending_; }

    bool hasPicture() const;
    // Draws the picture stretched to `target`; nothing when there is no picture.
    void draw(QPainter& painter, const QRect& target) const;

    bool isBitmap = false;
    QPixmap bitmap;
    QIcon icon;
    QString path;
    int index = -1;
    QString text;
    // What the picture shows, in words, for players who cannot see it; set by the loaders.
    QString description;

private:
    // A built-in icon is drawn from its vector form, read when first drawn (a set is loaded
    // before the window is painted, and most of its pictures are not shown for a while),
    // rendered once per size and kept.
    QString resource_;
    mutable std::shared_ptr<QSvgRenderer> vector_;
    mutable std::vector<QPixmap> renderedSizes_;
    bool pending_ = false;
};

} // namespace gemino

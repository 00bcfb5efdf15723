#pragma once

#include "core/editor/imageseteditor.h"

#include <QPixmap>

namespace gemino {

// An editor list's picture: 40 x 40 pixels, made once when its item is made.
class PixmapPicture final : public EditorPicture {
public:
    explicit PixmapPicture(QPixmap pixmap) : pixmap_(std::move(pixmap)) {}
    const QPixmap& pixmap() const { return pixmap_; }

private:
    QPixmap pixmap_;
};

// The pixmap behind a handle this program made; null for none.
QPixmap pictureOf(const EditorPictureHandle& picture);

// Pictures as the editor shows them: the icons of executables, libraries, icon libraries and
// icon files drawn from each group's best size, and picture files stretched, at 40 x 40.
class PixmapPictures final : public EditorPictures {
public:
    int iconCount(const std::string& path) override;
    std::vector<EditorPictureHandle> fileIcons(const std::string& path) override;
    EditorPictureHandle picture(const std::string& path, int index) override;
};

} // namespace gemino

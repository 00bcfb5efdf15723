#include "qt/editor/editorpictures.h"

#include "qt/platform/icondecode.h"
#include "qt/platform/picturefile.h"

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>

namespace gemino {

namespace {

EditorPictureHandle handle(QPixmap pixmap) {
    if (pixmap.isNull()) {
        return nullptr;
    }
    return std::make_shared<const PixmapPicture>(std::move(pixmap));
}

} // namespace

QPixmap pictureOf(const EditorPictureHandle& picture) {
    const auto* made = dynamic_cast<const PixmapPicture*>(picture.get());
    return made != nullptr ? made->pixmap() : QPixmap();
}

int PixmapPictures::iconCount(const std::string& path) {
    return fileIconCount(QString::fromStdString(path));
}

std::vector<EditorPictureHandle> PixmapPictures::fileIcons(const std::string& path) {
    const QList<QIcon> icons = loadFileIcons(QString::fromStdString(path));
    std::vector<EditorPictureHandle> pictures;
    pictures.reserve(static_cast<std::size_t>(icons.size()));
    for (const QIcon& icon : icons) {
        pictures.push_back(handle(icon.pixmap(QSize(kEditorImageSide, kEditorImageSide))));
    }
    return pictures;
}

EditorPictureHandle PixmapPictures::picture(const std::string& path, int index) {
    return handle(loadEditorImage(QString::fromStdString(path), index));
}

} // namespace gemino

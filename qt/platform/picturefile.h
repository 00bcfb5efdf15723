#pragma once

class QImage;
class QPixmap;
class QString;

// Pictures (as opposed to icons) that an image set takes from files.
namespace gemino {

// The editor shows every source picture at this size.
inline constexpr int kEditorImageSide = 40;

// The picture in a BMP, JPEG, PNG, GIF or SVG file, stretched to size x size; the format is
// read from the content, not the name. Null when the file is not a regular file, holds no
// such picture, or would decode to more than its size justifies.
QImage loadPictureImage(const QString& path, int size);
QPixmap loadPicturePixmap(const QString& path, int size);

// What the editor's lists show for an entry: a picture file stretched to 40 x 40, or icon
// `index` of any other file drawn in a 40 x 40 cell. Null when there is no picture.
QPixmap loadEditorImage(const QString& path, int index);

} // namespace gemino

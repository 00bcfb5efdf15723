#pragma once

class QImage;
class QPixmap;
class QString;

// Pictures (as opposed to icons) that an image set takes from files.
//
// Every picture's header is read and judged (core/imagesets/pictureheader.h) before a decoder
// is given the file: a file that claims more pixels, or a costlier decode, than any cell could
// need is a file without a picture, never a decode of minutes or gigabytes. Decoders that run
// at the same time share a memory budget, and Qt's allocation limit stands behind both.
namespace gemino {

// The editor shows every source picture at this size.
inline constexpr int kEditorImageSide = 40;

// Sets Qt's allocation limit for decoded images to the bound the header checks apply. Called
// by every decode here; the program calls it at start-up too.
void installPictureLimits();

// Whether the file's header promises a picture that may be decoded: what decides, before a set
// is dealt, whether an image from this file can have a picture. Reads only the header.
bool isUsablePicture(const QString& path);

// The picture in a BMP, JPEG, PNG, GIF, SVG or SVGZ file, stretched to size x size; the format
// is read from the content, not the name. Null when the file is not a regular file, holds no
// such picture, or fails the checks. A picture larger than the cell is taken from the desktop's
// thumbnail cache when it is there, and put there once decoded. Safe on worker threads.
QImage loadPictureImage(const QString& path, int size);
QPixmap loadPicturePixmap(const QString& path, int size);

// What the editor's lists show for an entry: a picture file stretched to 40 x 40, or icon
// `index` of any other file drawn in a 40 x 40 cell. Null when there is no picture.
QPixmap loadEditorImage(const QString& path, int index);

} // namespace gemino

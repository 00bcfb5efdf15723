#pragma once

#include <QImage>
#include <QList>

#include <span>
#include <vector>

class QIcon;
class QSize;
class QString;

// Icons taken from files, decoded into Qt pictures. The containers are read by
// `iconfile`; here their images become one multi-size icon that draws at any cell size.
namespace gemino {

struct IconImage {
    QImage image; // Format_ARGB32
    int bitCount = 0;
};

// Every image of an ICO stream that decodes, in directory order. DIB images (1 to 32 bits
// with their masks) go to our own decoder, `iconfile::decodeDib`, rather than to Qt's ICO
// reader, which reads no 16-bit images and turns masked pixels that carry a colour into
// opaque black; PNG images go to Qt's PNG reader.
std::vector<IconImage> decodeIcoImages(std::span<const unsigned char> ico);

// Whether any image of an ICO stream passes the checks that come before decoding: what decides,
// before a set is dealt, whether an icon group can have a picture.
bool icoHasPicture(std::span<const unsigned char> ico);

// The picture a cell of `size` draws: the smallest image that covers the cell (the deepest
// among equals), else the largest, stretched to exactly `size`. Null when there is no image.
QImage iconCellImage(const std::vector<IconImage>& images, const QSize& size);

// An icon whose pixmaps always have the size asked for, made from the image that suits it.
// Null when `images` is empty.
QIcon iconFromImages(std::vector<IconImage> images);

int fileIconCount(const QString& path);
// Icon `index` of an executable, library, icon library or icon file; null when the file has
// no such icon or none of its images decodes.
QIcon LoadFileIcon(const QString& path, int index);
// All icons of a file, read in one pass; entry k is icon k.
QList<QIcon> loadFileIcons(const QString& path);

} // namespace gemino

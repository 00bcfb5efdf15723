#pragma once

#include <QString>

class QFileInfo;
class QImage;

// The desktop's shared thumbnail cache, as the freedesktop.org Thumbnail Managing Standard
// defines it: $XDG_CACHE_HOME/thumbnails/{normal,large,x-large,xx-large}/<MD5 of the file's
// URI>.png, pictures that fit in 128, 256, 512 and 1024 pixels, each naming its original's URI
// and modification time. File managers fill it too, so a photo they have shown is not decoded
// again here, and a photo shown here is not decoded again by them.
//
// Every function is safe on worker threads.
namespace gemino::thumbnails {

// The side of the smallest standard size whose thumbnail of a `width` x `height` picture
// (fitted into side x side, its shape kept) covers a square cell of `cell` pixels, as a
// picture stretched to the cell must; 0 when even the largest (1024) does not.
int standardSide(int width, int height, int cell);

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails where the variable is not set.
QString cacheFolder();

// The file's URI as the cache names it: file:// and the absolute path, percent-encoded.
QByteArray fileUri(const QString& absolutePath);

// Where the thumbnail of `absolutePath` at standard side `side` lives.
QString thumbnailPath(const QString& absolutePath, int side);

// A thumbnail of `original` from the folder of `side` or a larger standard size, whose
// recorded URI and modification time match the file and whose picture is at least `least`
// pixels on both sides (the cell it is stretched to). Null when there is none.
QImage find(const QFileInfo& original, int side, int least);

// Stores `picture`, which fits in side x side, as the thumbnail of `original`, written
// atomically, private to the user. Nothing is stored for a file inside the cache itself, and
// a failure to write is silent: the cache is only a help.
void store(const QFileInfo& original, int side, const QImage& picture, int originalWidth,
           int originalHeight);

} // namespace gemino::thumbnails

#pragma once

#include <QString>

namespace gemino {

class ImageSet;
class Random;
struct ImsReadResult;

// What a loader made of a file.
struct SetLoad {
    int count = 0; // images put into the set
    QString error; // why the file could not be read; empty when it was read to its end

    bool ok() const { return error.isEmpty(); }
};

// Why an image set file could not be read to its end, in sentences for the user.
QString imsReadProblem(const ImsReadResult& read, const QString& path);

// Fills `images` (released first) from an image set file, in file order. Entries whose
// source is missing or is not a regular file are skipped; the others give an image even when
// no picture can be made of them. Picture sources are loaded at `buttonSize`, all others are
// icons taken by index. Of more than 20 usable entries a random 20 are kept, still in file order.
SetLoad LoadImageSetFile(ImageSet& images, const QString& path, int buttonSize, Random& random);
// Fills `images` (released first) with a random min(n, 20) of the n icons of a file; nothing
// when n is below 2.
SetLoad LoadIconLibrary(ImageSet& images, const QString& path, Random& random);

} // namespace gemino

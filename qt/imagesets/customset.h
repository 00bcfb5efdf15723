#pragma once

#include "qt/imagesets/pictureloader.h"

#include <QString>

#include <vector>

namespace gemino {

class ImageSet;
class Random;
struct ImsReadResult;

// What a loader made of a file.
struct SetLoad {
    int count = 0; // images put into the set
    int found = 0; // entries of the set file, icons of the library
    QString error; // why the file could not be read; empty when it was read to its end
    // The pictures the images wait for, to be decoded off the window's thread.
    std::vector<PictureRequest> pictures;

    bool ok() const { return error.isEmpty(); }
};

// Why an image set file could not be read to its end, or is not one, in sentences for the user.
QString imsReadProblem(const ImsReadResult& read, const QString& path);

// Fills `images` (released first) from an image set file, in file order. An entry is usable
// when its source is a regular file and either its picture passes the checks that come before
// decoding (the header of a picture file, or an icon group with an image that passes them) or
// it has a text; the others are skipped, and entries that would look alike (the same source,
// text and, for icons, index) count once. Of more than 20 usable entries a random 20 are kept,
// still in file order. The images wait for their pictures: picture files at `buttonSize`, icons
// from their groups, all listed in the result.
SetLoad LoadImageSetFile(ImageSet& images, const QString& path, int buttonSize, Random& random);
// Fills `images` (released first) with a random min(n, 20) of the n usable icons of a file
// (icon groups with an image that passes the checks); fewer than 2 when the file has fewer.
SetLoad LoadIconLibrary(ImageSet& images, const QString& path, Random& random);

} // namespace gemino

#include "qt/imagesets/customset.h"

#include "core/board/geometry.h"
#include "core/engine/random.h"
#include "core/iconfile/iconfile.h"
#include "core/imagesets/imagedescription.h"
#include "core/imagesets/imagesource.h"
#include "core/imagesets/imsformat.h"
#include "core/paths/pathutil.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/setimage.h"
#include "qt/platform/icondecode.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

namespace gemino {

namespace {

// A source that is gone, or that names a folder, a device or a FIFO, is skipped: only regular
// files are ever opened.
bool isUsableSource(const std::string& path) {
    return pathutil::PathExists(path, std::string()) && iconfile::isRegularFile(path);
}

// The first `keep` positions of 0..n-1 shuffled as the icon library loader shuffles them.
std::vector<int> randomPositions(int n, int keep, Random& random) {
    std::vector<int> positions(static_cast<std::size_t>(n));
    std::iota(positions.begin(), positions.end(), 0);
    for (int i = 0; i < n; ++i) {
        const int j = random.RandomFrom1To(n);
        std::swap(positions[i], positions[j - 1]);
    }
    positions.resize(static_cast<std::size_t>(keep));
    return positions;
}

// Why a file that should be opened cannot be; empty when it can.
QString openProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return QObject::tr("The file does not exist.");
    }
    if (!iconfile::isRegularFile(path.toStdString())) {
        return QObject::tr("It is not a file.");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QObject::tr("It cannot be opened: %1.").arg(file.errorString());
    }
    return {};
}

QString readProblem(const ImsReadResult& read, const QString& path) {
    switch (read.status) {
    case ImsReadStatus::Ok:
        return {};
    case ImsReadStatus::CannotOpen:
    case ImsReadStatus::NotAFile: {
        const QString problem = openProblem(path);
        return problem.isEmpty() ? QObject::tr("It cannot be opened.") : problem;
    }
    case ImsReadStatus::NoCount:
        return QFileInfo(path).size() == 0
                   ? QObject::tr("The file is empty.")
                   : QObject::tr("It is too short to hold even the number of its images.");
    case ImsReadStatus::Truncated:
        return QObject::tr("It ends after %1 of the %2 images it announces.")
            .arg(read.entries.size())
            .arg(read.announced);
    case ImsReadStatus::LineTooLong:
        return QObject::tr("It holds a line far too long for a file name or a text, so it is "
                           "not an image set.");
    }
    return {};
}

} // namespace

SetLoad LoadImageSetFile(ImageSet& images, const QString& path, int buttonSize, Random& random) {
    images.ReleaseImages();
    images.setCount(0);
    const ImsReadResult read = readImageSetFile(path.toStdString());
    if (!read.ok()) {
        return {0, readProblem(read, path)};
    }

    std::vector<const ImsEntry*> usable;
    for (const ImsEntry& entry : read.entries) {
        if (isUsableSource(entry.sourcePath)) {
            usable.push_back(&entry);
        }
    }
    if (usable.size() > static_cast<std::size_t>(kMaxImages)) {
        // A large set shows a different selection each time it is loaded.
        std::vector<int> chosen =
            randomPositions(static_cast<int>(usable.size()), kMaxImages, random);
        std::sort(chosen.begin(), chosen.end());
        std::vector<const ImsEntry*> kept;
        for (const int position : chosen) {
            kept.push_back(usable[static_cast<std::size_t>(position)]);
        }
        usable = std::move(kept);
    }

    for (const ImsEntry* entry : usable) {
        auto image = std::make_unique<CSetImage>();
        const QString source = QString::fromStdString(entry->sourcePath);
        if (isPictureSource(entry->sourcePath)) {
            image->LoadBitmapFile(source, buttonSize);
        } else {
            image->LoadFileIcon(source, entry->iconIndex);
        }
        image->text = QString::fromStdString(entry->imageText);
        image->description = QString::fromStdString(
            describeFileImage(entry->imageText, entry->sourcePath,
                              isPictureSource(entry->sourcePath) ? -1 : entry->iconIndex));
        images.append(std::move(image));
    }
    images.setCount(static_cast<int>(usable.size()));
    return {images.imageCount(), {}};
}

SetLoad LoadIconLibrary(ImageSet& images, const QString& path, Random& random) {
    images.ReleaseImages();
    images.setCount(0);
    if (const QString problem = openProblem(path); !problem.isEmpty()) {
        return {0, problem};
    }
    const int n = fileIconCount(path);
    if (n < 2) {
        return {std::max(n, 0), {}};
    }
    const int m = std::min(n, kMaxImages);
    for (const int index : randomPositions(n, m, random)) {
        // A library's icons carry no text, and no index: they are not reloaded one by one.
        auto image = std::make_unique<CSetImage>();
        image->icon = LoadFileIcon(path, index);
        image->description =
            QString::fromStdString(describeFileImage({}, path.toStdString(), index));
        images.append(std::move(image));
    }
    images.setCount(m);
    return {m, {}};
}

} // namespace gemino

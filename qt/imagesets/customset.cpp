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
#include "qt/platform/picturefile.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <set>
#include <tuple>
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
        return QObject::tr("The file is truncated: it ends before image %1 of the %2 it "
                           "announces is complete.")
            .arg(read.entries.size() + 1)
            .arg(read.announced);
    case ImsReadStatus::LineTooLong:
        return QObject::tr("It holds a line far too long for a file name or a text, so it is "
                           "not an image set.");
    }
    return {};
}

// An entry kept for the set, with what its judgement found.
struct Judged {
    int position = 0; // in the file
    const ImsEntry* entry = nullptr;
    bool picture = false; // it passed the checks that come before decoding
    bool bitmap = false;  // a picture file, as opposed to an icon container
    std::vector<unsigned char> ico;
};

// The name by which two paths to one file compare equal.
QString sameFile(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString notAnImageSet(const ImsReadResult& read, const QString& path) {
    if (read.announced < 0) {
        return QObject::tr("It is not an image set file: it begins with a negative number of "
                           "images (%1).")
            .arg(read.announced);
    }
    return QObject::tr("It is not an image set file: it begins with the number %1, more "
                       "images than its %2 bytes could hold.")
        .arg(read.announced)
        .arg(QFileInfo(path).size());
}

} // namespace

QString imsReadProblem(const ImsReadResult& read, const QString& path) {
    return read.implausibleCount ? notAnImageSet(read, path) : readProblem(read, path);
}

SetLoad LoadImageSetFile(ImageSet& images, const QString& path, int buttonSize, Random& random) {
    images.ReleaseImages();
    images.setCount(0);
    const ImsReadResult read = readImageSetFile(path.toStdString());
    if (read.implausibleCount || !read.ok()) {
        return {0, 0, imsReadProblem(read, path), {}};
    }

    // Of a large set, a random 20 show, a different selection each time it is loaded; entries
    // are judged in that random order until 20 are found, so a set of thousands costs 20
    // headers, not thousands.
    const int n = static_cast<int>(read.entries.size());
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (n > kMaxImages) {
        order = randomPositions(n, n, random);
    }
    // A file named by many entries is looked at once.
    std::map<std::string, bool> present;
    std::map<std::string, bool> pictureFiles;
    const auto remembered = [](std::map<std::string, bool>& known, const std::string& path,
                               auto&& judge) {
        const auto [at, added] = known.try_emplace(path, false);
        if (added) {
            at->second = judge();
        }
        return at->second;
    };
    std::map<std::string, iconfile::IconFile> containers;
    std::set<std::tuple<QString, int, std::string>> seen;
    std::vector<Judged> kept;
    for (const int position : order) {
        if (static_cast<int>(kept.size()) == kMaxImages) {
            break;
        }
        const ImsEntry& entry = read.entries[static_cast<std::size_t>(position)];
        if (!remembered(present, entry.sourcePath,
                        [&] { return isUsableSource(entry.sourcePath); })) {
            continue;
        }
        Judged judged{position, &entry, false, isPictureSource(entry.sourcePath), {}};
        const QString source = QString::fromStdString(entry.sourcePath);
        if (judged.bitmap) {
            judged.picture =
                remembered(pictureFiles, entry.sourcePath, [&] { return isUsablePicture(source); });
        } else {
            auto file = containers.find(entry.sourcePath);
            if (file == containers.end()) {
                file =
                    containers.emplace(entry.sourcePath, iconfile::IconFile::open(entry.sourcePath))
                        .first;
            }
            std::optional<std::vector<unsigned char>> ico =
                file->second.groupAsIco(entry.iconIndex);
            if (ico && icoHasPicture(*ico)) {
                judged.picture = true;
                judged.ico = std::move(*ico);
            }
        }
        // Neither a picture nor a text: nothing a player could tell apart.
        if (!judged.picture && entry.imageText.empty()) {
            continue;
        }
        // Two entries that would look the same could never be matched with each other.
        const auto key = judged.picture
                             ? std::tuple(sameFile(source), judged.bitmap ? -1 : entry.iconIndex,
                                          entry.imageText)
                             : std::tuple(QString(), -1, entry.imageText);
        if (seen.insert(key).second) {
            kept.push_back(std::move(judged));
        }
    }
    std::sort(kept.begin(), kept.end(),
              [](const Judged& a, const Judged& b) { return a.position < b.position; });

    SetLoad load;
    load.found = n;
    // Entries showing one picture share its decode.
    std::map<std::pair<QString, int>, std::size_t> shared;
    for (Judged& judged : kept) {
        auto image = std::make_unique<CSetImage>();
        const QString source = QString::fromStdString(judged.entry->sourcePath);
        if (judged.picture) {
            const auto key =
                std::pair(sameFile(source), judged.bitmap ? -1 : judged.entry->iconIndex);
            const auto [at, first] = shared.try_emplace(key, load.pictures.size());
            if (first) {
                PictureRequest request;
                if (judged.bitmap) {
                    request.path = source;
                    request.size = buttonSize;
                } else {
                    request.ico = std::move(judged.ico);
                }
                load.pictures.push_back(std::move(request));
            }
            if (judged.bitmap) {
                image->awaitBitmap(source);
            } else {
                image->awaitIcon(judged.entry->iconIndex);
            }
            load.pictures[at->second].images.push_back(image.get());
        }
        image->text = QString::fromStdString(judged.entry->imageText);
        const ImsEntry& entry = *judged.entry;
        image->description = QString::fromStdString(
            describeFileImage(entry.imageText, entry.sourcePath,
                              isPictureSource(entry.sourcePath) ? -1 : entry.iconIndex));
        images.append(std::move(image));
    }
    load.count = static_cast<int>(kept.size());
    images.setCount(load.count);
    return load;
}

SetLoad LoadIconLibrary(ImageSet& images, const QString& path, Random& random) {
    images.ReleaseImages();
    images.setCount(0);
    if (const QString problem = openProblem(path); !problem.isEmpty()) {
        return {0, 0, problem, {}};
    }
    iconfile::IconFile file = iconfile::IconFile::open(path.toStdString());
    SetLoad load;
    load.found = std::max(file.iconCount(), 0);
    const int n = load.found;
    if (n < 2) {
        load.count = n;
        return load;
    }
    // Groups are judged in the shuffled order until 20 usable ones are found.
    for (const int index : randomPositions(n, n, random)) {
        if (load.count == kMaxImages) {
            break;
        }
        std::optional<std::vector<unsigned char>> ico = file.groupAsIco(index);
        if (!ico || !icoHasPicture(*ico)) {
            continue;
        }
        // A library's icons carry no text, and no index: they are not reloaded one by one.
        auto image = std::make_unique<CSetImage>();
        image->awaitIcon(-1);
        PictureRequest request;
        request.ico = std::move(*ico);
        request.images.push_back(image.get());
        load.pictures.push_back(std::move(request));
        image->description =
            QString::fromStdString(describeFileImage({}, path.toStdString(), index));
        images.append(std::move(image));
        ++load.count;
    }
    images.setCount(load.count);
    return load;
}

} // namespace gemino

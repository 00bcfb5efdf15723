#include "core/imagesets/imagesource.h"

#include "core/paths/pathutil.h"

#include <algorithm>

namespace gemino {

bool isPictureSource(const std::string& path) {
    const std::string extension = pathutil::GetPathExtension(path);
    return std::any_of(
        kPictureExtensions.begin(), kPictureExtensions.end(),
        [&](std::string_view e) { return pathutil::equalsIgnoringCase(extension, e); });
}

bool isIconLibraryPath(const std::string& path) {
    return pathutil::equalsIgnoringCase(pathutil::GetPathExtension(path), "icl");
}

} // namespace gemino

#include "core/imagesets/imagedescription.h"

namespace gemino {

std::string fileTitleOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    // A name that is only an extension (".hidden") keeps it: there is nothing else to call it.
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

std::string describeFileImage(const std::string& text, const std::string& sourcePath,
                              int iconIndex) {
    if (!text.empty()) {
        return text;
    }
    std::string title = fileTitleOf(sourcePath);
    if (title.empty()) {
        title = "picture";
    }
    if (iconIndex < 0) {
        return title;
    }
    return title + ", icon " + std::to_string(iconIndex);
}

} // namespace gemino

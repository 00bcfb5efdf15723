#pragma once

#include <string>

namespace gemino {

// How a picture from a file is told to a player who cannot see it: by its text when it has
// one, else by its file's title, with the icon's number for an icon taken from a container
// ("shell32, icon 4"). `iconIndex` is -1 for a picture file, which is one picture.
std::string describeFileImage(const std::string& text, const std::string& sourcePath,
                              int iconIndex);

// The name of a file without its folder and extension, by '/' or '\' and the last dot alone,
// so it also works for a file that is gone.
std::string fileTitleOf(const std::string& path);

} // namespace gemino

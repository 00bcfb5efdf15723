#pragma once

#include <array>
#include <string>
#include <string_view>

namespace gemino {

// Files with these extensions (in any case) are one picture each; any other file is a container
// whose icons are taken by index.
inline constexpr std::array<std::string_view, 7> kPictureExtensions = {"bmp", "jpg", "jpeg", "png",
                                                                       "gif", "svg", "svgz"};

// Whether `path` (UTF-8) is taken as a picture, judged by GetPathExtension.
bool isPictureSource(const std::string& path);

// Whether `path` is played as an icon library: its extension is "icl" in any case.
bool isIconLibraryPath(const std::string& path);

} // namespace gemino

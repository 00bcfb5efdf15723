#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Free functions on file paths and on blank-separated word lists.
//
// A "lookup" takes a path as a search pattern (the last component may hold the wildcards
// '*' and '?'; a relative path is taken from the current working folder) and finds the first
// file-system entry that matches it. A path that ends with a separator finds nothing.
// Both '/' and '\' count as separators.
namespace gemino::pathutil {

bool IsDriveLetter(char c);
// "C:" or "C:\" (and, on this platform, "C:/" is not one).
bool IsDriveSpec(const std::string& path);
// Name without extension of the entry a lookup finds; empty when it finds nothing.
std::string GetPathTitle(const std::string& path);
// Text after the last dot of the whole path, leading white space removed; empty when no dot.
std::string GetPathExtension(const std::string& path);
// Whether a lookup of `name` (or of folder + separator + name) finds an entry.
bool PathExists(const std::string& name, const std::string& folder);
// Removes and returns the first word of a blank-separated list.
std::string PopWord(std::string& list);
// 1-based position of `word` in the list, ignoring case; 0 when absent or empty.
int FindWordIndex(const std::string& list, const std::string& word);
// Whether two words are equal when ASCII letters are compared without regard to case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// Absolute folder holding the entry a lookup finds, without a trailing separator.
std::string GetPathFolder(const std::string& path);
// Whether a lookup finds a folder.
bool IsFolderPath(const std::string& path);

// Whether `name` matches a pattern with '*' and '?' (case-sensitive, as this file system is).
bool wildcardMatch(const std::string& pattern, const std::string& name);

// A UTF-8 path as the file system takes it, and back (on Windows the narrow forms would use
// the ANSI code page).
std::filesystem::path toFsPath(const std::string& utf8);
std::string fromFsPath(const std::filesystem::path& path);

} // namespace gemino::pathutil

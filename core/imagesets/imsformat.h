#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Image set files (".ims"). No header: a 32-bit little-endian entry count, then for each entry
// a 32-bit little-endian icon index, the source file's path on one line and the image's text
// on the next. Lines end with a line feed; a carriage return just before it is dropped, so
// files edited on Windows read the same.
//
// Strings are UTF-8 in memory and in the files written here. Sets written on Windows hold
// their ANSI code page instead, so a line that is not valid UTF-8 is read as Windows-1252.
namespace gemino {

// The text line of an entry without text. Read back in any case, it means no text, so a text
// that is literally "me_none" cannot survive a save.
inline constexpr std::string_view kImsNoText = "ME_NONE";

// Lines longer than this are not paths or texts: the file is not an image set.
inline constexpr std::size_t kImsMaxLineBytes = 128 * 1024;
// The fewest bytes an entry takes: its index and the line feeds of its two lines.
inline constexpr std::size_t kImsLeastEntryBytes = 6;

struct ImsEntry {
    std::int32_t iconIndex = 0; // meaningless for pictures; the writer is given 0 for them
    std::string sourcePath;     // UTF-8
    std::string imageText;      // UTF-8; empty when the image has no text

    bool operator==(const ImsEntry&) const = default;
};

enum class ImsReadStatus {
    Ok,
    CannotOpen,  // missing, or the system refused to open it
    NotAFile,    // a folder, a device, a FIFO: never opened, as reading a FIFO could block
    NoCount,     // shorter than the entry count
    Truncated,   // ends before the last announced entry is complete
    LineTooLong, // a line longer than kImsMaxLineBytes
};

struct ImsReadResult {
    ImsReadStatus status = ImsReadStatus::Ok;
    std::int32_t announced = 0;    // the entry count the file gives
    std::vector<ImsEntry> entries; // on failure, the entries complete before it
    // The count is none an image set file begins with: negative, or more entries than the
    // bytes after it could hold (when their number is known). The editor reads such a file as
    // what it holds (a count of 0 or less is a set without entries); the board refuses it.
    bool implausibleCount = false;

    bool ok() const { return status == ImsReadStatus::Ok; }
};

// Reads every entry, whether or not its source file exists; a count of 0 or less is a set
// without entries. Memory grows with the entries actually read, never with the count alone.
ImsReadResult readImageSet(std::istream& in);
ImsReadResult readImageSet(std::string_view bytes);
// `path` is UTF-8.
ImsReadResult readImageSetFile(const std::string& path);

// The bytes of a set: texts are written on one line (line breaks become spaces) and an empty
// text as kImsNoText. Nothing when a path holds a line break, as it could not be read back.
std::optional<std::string> encodeImageSet(const std::vector<ImsEntry>& entries);

enum class ImsSaveStatus {
    Ok,
    UnwritableEntry, // a path holds a line break
    CannotCreate,    // no temporary file could be made beside the target
    WriteFailed,
    CannotReplace, // the complete file could not be renamed over the target
    Interrupted,   // the progress callback stopped the save
};

struct ImsSaveResult {
    ImsSaveStatus status = ImsSaveStatus::Ok;
    std::string detail; // the system's reason, when it gave one

    bool ok() const { return status == ImsSaveStatus::Ok; }
};

// Called before each chunk is written with the number of bytes written so far; false stops
// the save as a failed write would.
using ImsSaveProgress = std::function<bool(std::size_t bytesWritten)>;

// Writes the set to a temporary file in the target's folder and renames it over the target
// once it is complete, so a failed or interrupted save leaves the previous file whole. An
// existing target keeps its permissions; a symbolic link is followed and its target replaced.
ImsSaveResult saveImageSetFile(const std::string& path, const std::vector<ImsEntry>& entries,
                               const ImsSaveProgress& progress = {});

// A line as stored: UTF-8 when it is valid UTF-8, else Windows-1252 converted to UTF-8.
std::string decodeImsLine(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);

} // namespace gemino

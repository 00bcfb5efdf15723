#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Icons inside files: executables and libraries (PE32, PE32+), 16-bit modules and icon
// libraries (NE), and icon files (ICO). Counting and numbering follow the Windows shell, so an
// image set that names "icon 3 of shell.dll" finds the same picture here.
//
// Everything read from a file is treated as hostile: offsets and sizes are checked against the
// file, counts against the bytes that would hold them, and no call allocates more than a small
// multiple of the file's size. A malformed container gives no icons rather than an error.
namespace gemino::iconfile {

// Icons larger than this on either side are not icons anyone draws on a board; refusing them
// bounds what a small PNG inside an icon can make a decoder allocate.
inline constexpr int kMaxImageSide = 1024;

// What an image's own header says about it.
struct ImageInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0; // 32 for PNG images
    bool png = false;
};

struct IcoImage {
    std::span<const unsigned char> data;
    ImageInfo info;
};

// The sound images of an ICO byte stream in directory order; images that reach outside the
// stream or whose header does not hold up against its bytes are left out.
std::vector<IcoImage> icoImages(std::span<const unsigned char> ico);

// Decodes a DIB icon image into width x height pixels 0xAARRGGBB (not premultiplied), top row
// first, `stride` pixels apart. A 32-bit image whose alpha bytes are all zero predates alpha
// and is drawn through its mask, as Windows does. Returns false when the header does not hold
// up against the image's bytes.
bool decodeDib(std::span<const unsigned char> image, std::uint32_t* pixels, std::size_t stride);

// Whether `path` (UTF-8) names a regular file, following symbolic links. Folders, devices and
// FIFOs are refused before anything opens them: opening a FIFO for reading can block forever.
bool isRegularFile(const std::string& path);

// One container, read once and then asked for its icon groups. Files are read piecewise, so a
// large executable costs only its headers, its resource directory and the icons asked for.
class IconFile {
public:
    // An unreadable file or a name that is not a regular file gives a reader with no icons.
    static IconFile open(const std::string& path);
    // Reads bytes the caller keeps alive for the reader's lifetime.
    static IconFile fromBytes(std::span<const unsigned char> bytes);

    IconFile(IconFile&&) noexcept;
    IconFile& operator=(IconFile&&) noexcept;
    ~IconFile();

    // The shell's icon count: icon groups of a PE or NE module, 1 for an icon file.
    int iconCount() const;
    // Group `index` rebuilt as a standalone ICO stream whose directory agrees with the images'
    // own headers; nothing when the index is out of range or the group has no sound image.
    // For a well-formed icon file, index 0 gives the file's own bytes. One reader hands out
    // about four times the file's size in all, so a file whose groups all name one large
    // image cannot make a walk over its groups read that image again and again.
    std::optional<std::vector<unsigned char>> groupAsIco(int index);

private:
    struct Impl;
    explicit IconFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

int iconCount(const std::string& path);
std::optional<std::vector<unsigned char>> groupAsIco(const std::string& path, int index);
int iconCount(std::span<const unsigned char> bytes);

} // namespace gemino::iconfile

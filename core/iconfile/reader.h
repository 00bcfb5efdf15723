#pragma once

// The parts of the icon reader that only core/iconfile and its tests use: byte access to a
// container, the image headers, the ICO directory, and the containers behind `IconFile`.

#include "core/iconfile/iconfile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace gemino::iconfile {

// Fields of bytes already read; callers check the length first.
inline std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint32_t be32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

inline void putLe16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void putLe32(unsigned char* p, std::uint32_t v) {
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

// Random access to a container's bytes. Every read names its range first, so nothing is
// allocated for a range that is not inside the container.
class Source {
public:
    virtual ~Source() = default;
    std::uint64_t size() const { return size_; }
    bool contains(std::uint64_t offset, std::uint64_t n) const {
        return offset <= size_ && n <= size_ - offset;
    }
    bool read(std::uint64_t offset, std::size_t n, unsigned char* out);
    std::optional<std::vector<unsigned char>> readBytes(std::uint64_t offset, std::uint64_t n);

protected:
    virtual bool doRead(std::uint64_t offset, std::size_t n, unsigned char* out) = 0;
    std::uint64_t size_ = 0;
};

// Bytes the caller keeps alive for the source's lifetime.
std::unique_ptr<Source> memorySource(std::span<const unsigned char> bytes);
// A regular file read piecewise; anything else (a missing file, a folder, a FIFO) is empty.
std::unique_ptr<Source> fileSource(const std::string& path);

// A DIB icon image as laid out in its bytes (bottom-up rows, XOR bits then AND mask).
struct DibLayout {
    int width = 0;
    int height = 0; // of the picture, half the header's height
    int bitCount = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteCount = 0; // colour table entries actually present
    std::size_t xorOffset = 0;
    std::size_t xorStride = 0;
    std::size_t andOffset = 0;
    std::size_t andStride = 0;
    bool hasMask = false; // a truncated mask is taken as all opaque
};

std::optional<DibLayout> parseDib(std::span<const unsigned char> image);

// The header of one icon image (a DIB with its AND mask, or a PNG), checked against its bytes.
std::optional<ImageInfo> inspectImage(std::span<const unsigned char> image);

// Where the bytes of one icon image are, and the directory fields that came with it: width,
// height, colours, reserved, planes, bit count.
struct IconPiece {
    std::array<unsigned char, 8> fields{};
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The entries of an ICO directory at the start of `source`, as many as the source can hold;
// nothing when it does not start with an ICO header. Entries are not checked.
std::optional<std::vector<IconPiece>> readIcoDirectory(Source& source);

// The file range of the icon image a module numbers `id`, or nothing.
using IconLocator =
    std::function<std::optional<std::pair<std::uint64_t, std::uint64_t>>(std::uint16_t id)>;

// The images a group directory (the resource form of an ICO directory, which names its images
// by number) stored at `offset`, `size` in `source` names, located through `locate`.
std::vector<IconPiece> groupPieces(Source& source, std::uint64_t offset, std::uint64_t size,
                                   const IconLocator& locate);

// The pieces gathered into one standalone ICO stream whose directory agrees with the images'
// own headers. Pieces outside the source or with no sound image are left out, and so is a
// piece named again: nothing when no piece is left.
std::optional<std::vector<unsigned char>> buildIco(Source& source,
                                                   const std::vector<IconPiece>& pieces);

// One kind of container, asked for its groups after reading its directories.
class Container {
public:
    virtual ~Container() = default;
    virtual int groupCount() const = 0;
    // The images of group `index`, 0 <= index < groupCount().
    virtual std::vector<IconPiece> groupImages(int index) = 0;
};

// An icon file, or nothing when the source does not start with an ICO directory that names
// an image inside it.
std::unique_ptr<Container> openIco(Source& source);
// Modules whose own header is at `header`, after the MZ stub; a module whose directories
// cannot be read has no group.
std::unique_ptr<Container> openPe(Source& source, std::uint64_t header);
std::unique_ptr<Container> openNe(Source& source, std::uint64_t header);

} // namespace gemino::iconfile

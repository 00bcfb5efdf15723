#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// What a picture file's header promises, read before any decoder sees the file, and the rule
// that keeps every decode bounded in memory and time.
//
// A decoder trusts the header: a 900-byte progressive JPEG that claims 16000 x 16000 pixels
// makes libjpeg reserve its coefficients for the whole image (1.5 GB) before it finds out
// that the data is missing. So the claims are checked here first, against bounds that no
// board cell, editor list or thumbnail needs to exceed, and a refused file is a file without
// a picture.
namespace gemino {

enum class PictureFormat { Bmp, Jpeg, Png, Gif, Svg, Svgz };

// The bounds. A board cell is at most 200 pixels (times the screen's density), a thumbnail at
// most 1024; pictures far larger are accepted only because cameras make them.
//
// Files larger than this are not read at all: reading alone would take long.
inline constexpr std::uint64_t kMaxPictureFileBytes = 256u << 20;
// A 64-megapixel camera picture passes; a 16000 x 16000 claim (256 megapixels) does not.
inline constexpr std::uint64_t kMaxPicturePixels = 64u << 20;
inline constexpr std::uint32_t kMaxPictureSide = 32768;
// What a decoder may hold at once for one picture (Qt's image allocation limit is set to the
// same value as a second fence).
inline constexpr std::uint64_t kMaxDecodeBytes = 256u << 20;
// Beyond this, a decode must be paid for by the file: each format's compression has a
// limit (deflate packs at most 1032 bytes into one, a JPEG block takes at least a bit), so a
// small file that promises a large decode holds no such picture.
inline constexpr std::uint64_t kFreeDecodeBytes = 16u << 20;
// SVG text (after inflating an .svgz), and what a compressed .svgz may weigh. Measured here,
// Qt's renderer holds about 12 bytes for each byte of text, and takes under a second for 8 MB.
inline constexpr std::uint64_t kMaxSvgBytes = 8u << 20;
inline constexpr std::uint64_t kSvgBytesPerTextByte = 12;
// A progressive or multi-scan JPEG is decoded scan by scan, and every scan passes over every
// 8 x 8 block of the components it carries; with end-of-band runs a scan of a million blocks
// costs a few bytes, so a small file can ask for hours. Measured here, a refinement pass costs
// about 100 ns a block: this bound keeps the worst file near 3 seconds on a worker thread,
// while camera pictures take 2 to 12 passes (a 48-megapixel progressive photo about 6 million
// block visits).
inline constexpr std::uint64_t kMaxJpegBlockVisits = 32u << 20;

// Random access to a file's bytes; the header readers seek over what they skip.
class PictureBytes {
public:
    virtual ~PictureBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Copies up to out.size() bytes from `offset`; returns how many were copied (fewer only at
    // the end of the data, or when reading fails).
    virtual std::size_t read(std::uint64_t offset, std::span<unsigned char> out) = 0;
};

// Bytes in memory, kept alive by the caller.
class SpanPictureBytes final : public PictureBytes {
public:
    explicit SpanPictureBytes(std::span<const unsigned char> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t read(std::uint64_t offset, std::span<unsigned char> out) override;

private:
    std::span<const unsigned char> bytes_;
};

// A regular file (UTF-8 path), read as asked; nothing for a folder, a device, a FIFO or a file
// that cannot be opened.
std::unique_ptr<PictureBytes> openPictureFile(const std::string& path);

struct PictureHeader {
    PictureFormat format = PictureFormat::Png;
    std::uint32_t width = 0; // 0 for SVG, which is drawn at any size
    std::uint32_t height = 0;
    // A JPEG whose decoder holds the coefficients of the whole image at once: progressive, or
    // sequential with its components in separate scans.
    bool progressive = false;
    int components = 0; // JPEG only
    std::uint64_t fileBytes = 0;
    // The memory the decoder holds at once, estimated from the header: the image it fills, and
    // for a progressive JPEG its coefficients (2 bytes each, whole 8 x 8 blocks, whole MCUs);
    // for SVG, what the renderer builds from the text.
    std::uint64_t decodeCost = 0;
    // The smallest file that could hold the picture the header describes.
    std::uint64_t leastFileBytes = 0;
    // For a JPEG: the offset of its first scan, where `jpegBlockVisits` starts.
    std::uint64_t firstScan = 0;
};

// The header of a BMP, JPEG, PNG, GIF, SVG or SVGZ file, judged by its content, never its
// name. Nothing when the bytes are none of these, or the header is malformed, or describes
// something the decoders cannot make a picture of (an empty image, a 12-bit or lossless JPEG).
// Reads only headers: for a JPEG, the segments up to its first scan.
std::optional<PictureHeader> readPictureHeader(PictureBytes& bytes);
std::optional<PictureHeader> readPictureHeader(std::span<const unsigned char> bytes);

enum class PictureRefusal {
    None,
    NotAPicture,  // no header of a format we read
    TooLargeFile, // more than kMaxPictureFileBytes (or kMaxSvgBytes of SVG)
    TooManyPixels,
    TooCostly,    // the decode it needs is beyond kMaxDecodeBytes, or beyond what the file pays for
    TooManyScans, // a progressive JPEG's scans would visit more than kMaxJpegBlockVisits blocks
};

// The rule on a header alone.
PictureRefusal judgePicture(const PictureHeader& header);

// The blocks a progressive or multi-scan JPEG's scans visit in all, counted by walking every
// scan of the file (a pass over its bytes, no decoding). Nothing when the walk meets bytes
// that are not a JPEG scan. A file that ends early counts the scans it holds.
std::optional<std::uint64_t> jpegBlockVisits(PictureBytes& bytes, const PictureHeader& header);

enum class PictureCheckDepth {
    Header, // the header and its rule: quick, for deciding which images a set can show
    Full,   // also the scans of a progressive JPEG: once, just before decoding
};

struct PictureCheck {
    std::optional<PictureHeader> header;
    PictureRefusal refusal = PictureRefusal::NotAPicture;

    bool accepted() const { return refusal == PictureRefusal::None; }
};

// Everything that runs before a decoder is given the file.
PictureCheck checkPicture(PictureBytes& bytes, PictureCheckDepth depth);
PictureCheck checkPictureFile(const std::string& path, PictureCheckDepth depth);

} // namespace gemino

#include "core/imagesets/pictureheader.h"

#include "core/paths/pathutil.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace gemino {

namespace {

constexpr std::uint64_t kBytesPerPixel = 4; // decoders fill 32-bit pixels
// A JPEG's coefficients: 64 per block, 2 bytes each.
constexpr std::uint64_t kBytesPerBlock = 128;
// Segments before the first scan: ICC profiles and metadata take a few dozen at most.
constexpr int kMaxJpegSegments = 4096;
// GIF blocks before the first image: extensions and their sub-blocks.
constexpr int kMaxGifBlocks = 65536;
// An SVG says so early: after an XML declaration, a doctype and comments.
constexpr std::size_t kSvgSniffBytes = 64 * 1024;
constexpr std::size_t kScanChunk = 64 * 1024;

std::uint16_t be16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
std::uint32_t be32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t le32(const unsigned char* p) {
    return p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// Exactly n bytes at `offset`, or nothing.
template <std::size_t N>
bool readExactly(PictureBytes& bytes, std::uint64_t offset, std::array<unsigned char, N>& out) {
    return bytes.read(offset, out) == N;
}

std::uint64_t divUp(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

// --- BMP ---

std::optional<PictureHeader> readBmp(PictureBytes& bytes) {
    // The file header, then the core header (12 bytes) or the size of a longer one.
    std::array<unsigned char, 34> h{};
    const std::size_t got = bytes.read(0, h);
    if (got < 26 || (le32(&h[14]) != 12 && got < h.size())) {
        return std::nullopt;
    }
    const std::uint32_t infoSize = le32(&h[14]);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {
        width = le16(&h[18]);
        height = le16(&h[20]);
        planes = le16(&h[22]);
        bitCount = le16(&h[24]);
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 ||
               infoSize == 108 || infoSize == 124) {
        width = static_cast<std::int32_t>(le32(&h[18]));
        height = static_cast<std::int32_t>(le32(&h[22])); // negative: rows top down
        planes = le16(&h[26]);
        bitCount = le16(&h[28]);
        compression = le32(&h[30]);
    } else {
        return std::nullopt;
    }
    height = height < 0 ? -height : height;
    const bool depthOk = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                         bitCount == 24 || bitCount == 32;
    // Uncompressed, run-length coded and bit-field images; not the embedded JPEG or PNG kinds.
    const bool compressionOk = compression <= 3 || compression == 6;
    if (width <= 0 || height <= 0 || width > 0xFFFFFFFF || height > 0xFFFFFFFF || planes != 1 ||
        !depthOk || !compressionOk) {
        return std::nullopt;
    }
    PictureHeader header;
    header.format = PictureFormat::Bmp;
    header.width = static_cast<std::uint32_t>(width);
    header.height = static_cast<std::uint32_t>(height);
    header.decodeCost = std::uint64_t{header.width} * header.height * kBytesPerPixel;
    // Run-length codes give at most 255 pixels for 2 bytes.
    header.leastFileBytes = std::uint64_t{header.width} * header.height / 128;
    return header;
}

// --- PNG ---

std::optional<PictureHeader> readPng(PictureBytes& bytes) {
    std::array<unsigned char, 29> h{};
    if (!readExactly(bytes, 0, h) || be32(&h[8]) != 13 || std::memcmp(&h[12], "IHDR", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t width = be32(&h[16]);
    const std::uint32_t height = be32(&h[20]);
    const int depth = h[24];
    const int colourType = h[25];
    bool depthOk = false;
    switch (colourType) {
    case 0:
        depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 3:
        depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 2:
    case 4:
    case 6:
        depthOk = depth == 8 || depth == 16;
        break;
    default:
        break;
    }
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || !depthOk ||
        h[26] != 0 || h[27] != 0 || h[28] > 1) {
        return std::nullopt;
    }
    PictureHeader header;
    header.format = PictureFormat::Png;
    header.width = width;
    header.height = height;
    // No scaled decoding: the whole image is filled, with 64-bit pixels for 16-bit samples.
    header.decodeCost = std::uint64_t{width} * height * (depth == 16 ? 8 : kBytesPerPixel);
    // Deflate packs at most 1032 bytes into one; the rows are a filter byte and the samples.
    const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const std::uint64_t row = 1 + divUp(std::uint64_t{width} * channels * depth, 8);
    header.leastFileBytes = row * height / 1032;
    return header;
}

// --- GIF ---

std::optional<PictureHeader> readGif(PictureBytes& bytes) {
    std::array<unsigned char, 13> screen{};
    if (!readExactly(bytes, 0, screen)) {
        return std::nullopt;
    }
    std::uint64_t width = le16(&screen[6]);
    std::uint64_t height = le16(&screen[8]);
    std::uint64_t pos = 13;
    if (screen[10] & 0x80) {
        pos += 3u << ((screen[10] & 7) + 1); // the global colour table
    }
    // Extensions up to the first image, whose frame may reach beyond the logical screen.
    for (int blocks = 0; blocks < kMaxGifBlocks; ++blocks) {
        std::array<unsigned char, 1> introducer{};
        if (!readExactly(bytes, pos, introducer)) {
            return std::nullopt;
        }
        if (introducer[0] == 0x2C) {
            std::array<unsigned char, 9> frame{};
            if (!readExactly(bytes, pos + 1, frame)) {
                return std::nullopt;
            }
            const std::uint64_t frameWidth = le16(&frame[4]);
            const std::uint64_t frameHeight = le16(&frame[6]);
            if (frameWidth == 0 || frameHeight == 0) {
                return std::nullopt;
            }
            width = std::max(width, le16(&frame[0]) + frameWidth);
            height = std::max(height, le16(&frame[2]) + frameHeight);
            PictureHeader header;
            header.format = PictureFormat::Gif;
            header.width = static_cast<std::uint32_t>(width);
            header.height = static_cast<std::uint32_t>(height);
            // The frame is drawn into the screen image over a kept copy of it.
            header.decodeCost = 2 * width * height * kBytesPerPixel;
            // A 12-bit code stands for at most 4096 pixels.
            header.leastFileBytes = width * height / 4096;
            return header;
        }
        if (introducer[0] != 0x21) {
            return std::nullopt; // the trailer, or junk: no image
        }
        pos += 2; // introducer and label
        for (;;) {
            std::array<unsigned char, 1> length{};
            if (!readExactly(bytes, pos, length)) {
                return std::nullopt;
            }
            pos += 1 + length[0];
            if (length[0] == 0) {
                break;
            }
            if (++blocks >= kMaxGifBlocks) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

// --- JPEG ---

struct JpegComponent {
    int id = 0;
    int h = 1;
    int v = 1;
};

struct JpegFrame {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int hMax = 1;
    int vMax = 1;
    std::vector<JpegComponent> components;

    // The blocks the decoder keeps for a component: whole MCUs across and down.
    std::uint64_t blocks(const JpegComponent& c) const {
        const std::uint64_t mcusAcross = divUp(width, 8u * static_cast<unsigned>(hMax));
        const std::uint64_t mcusDown = divUp(height, 8u * static_cast<unsigned>(vMax));
        return mcusAcross * static_cast<unsigned>(c.h) * mcusDown * static_cast<unsigned>(c.v);
    }
};

bool isSof(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Reads a frame header; nothing for the kinds the decoder cannot make a picture of: lossless,
// hierarchical, other than 8-bit, or with a component count no picture format has.
std::optional<JpegFrame> readSof(PictureBytes& bytes, std::uint64_t pos, int marker,
                                 std::uint32_t length) {
    const bool decodable =
        marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 || marker == 0xCA;
    if (!decodable || length < 8) {
        return std::nullopt;
    }
    std::array<unsigned char, 6> h{};
    if (!readExactly(bytes, pos, h)) {
        return std::nullopt;
    }
    JpegFrame frame;
    frame.height = be16(&h[1]);
    frame.width = be16(&h[3]);
    const int count = h[5];
    // A height of 0 is given later by a DNL marker, which the decoder does not read.
    if (h[0] != 8 || frame.width == 0 || frame.height == 0 ||
        !(count == 1 || count == 3 || count == 4) || length != 8u + 3u * count) {
        return std::nullopt;
    }
    std::array<unsigned char, 12> c{};
    if (bytes.read(pos + 6, std::span(c).first(3u * count)) != 3u * count) {
        return std::nullopt;
    }
    for (int i = 0; i < count; ++i) {
        JpegComponent component;
        component.id = c[3 * i];
        component.h = c[3 * i + 1] >> 4;
        component.v = c[3 * i + 1] & 15;
        if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) {
            return std::nullopt;
        }
        frame.hMax = std::max(frame.hMax, component.h);
        frame.vMax = std::max(frame.vMax, component.v);
        frame.components.push_back(component);
    }
    return frame;
}

// The components a scan header names, checked against the frame.
std::optional<std::vector<const JpegComponent*>>
readSos(PictureBytes& bytes, std::uint64_t pos, std::uint32_t length, const JpegFrame& frame) {
    std::array<unsigned char, 1> n{};
    if (!readExactly(bytes, pos, n) || n[0] < 1 || n[0] > 4 || length != 6u + 2u * n[0]) {
        return std::nullopt;
    }
    std::array<unsigned char, 8> s{};
    if (bytes.read(pos + 1, std::span(s).first(2u * n[0])) != 2u * n[0]) {
        return std::nullopt;
    }
    std::vector<const JpegComponent*> named;
    for (int i = 0; i < n[0]; ++i) {
        const auto found = std::find_if(frame.components.begin(), frame.components.end(),
                                        [&](const JpegComponent& c) { return c.id == s[2 * i]; });
        if (found == frame.components.end()) {
            return std::nullopt;
        }
        named.push_back(&*found);
    }
    return named;
}

struct JpegWalk {
    std::optional<JpegFrame> frame;
    std::uint64_t firstScan = 0; // offset of the first SOS marker
    int firstScanComponents = 0;
};

std::optional<JpegWalk> walkToFirstScan(PictureBytes& bytes) {
    JpegWalk walk;
    std::uint64_t pos = 2; // after SOI
    for (int segments = 0; segments < kMaxJpegSegments; ++segments) {
        std::array<unsigned char, 2> m{};
        if (!readExactly(bytes, pos, m) || m[0] != 0xFF) {
            return std::nullopt;
        }
        const std::uint64_t markerAt = pos;
        ++pos;
        int marker = m[1];
        while (marker == 0xFF) { // fill bytes before a marker
            std::array<unsigned char, 1> next{};
            if (!readExactly(bytes, ++pos, next)) {
                return std::nullopt;
            }
            marker = next[0];
        }
        ++pos;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue; // markers without a segment
        }
        if (marker == 0xD8 || marker == 0xD9 || marker == 0x00) {
            return std::nullopt; // a second start, or the end before any scan
        }
        std::array<unsigned char, 2> l{};
        if (!readExactly(bytes, pos, l) || be16(l.data()) < 2) {
            return std::nullopt;
        }
        const std::uint32_t length = be16(l.data());
        if (isSof(marker)) {
            if (walk.frame) {
                return std::nullopt;
            }
            walk.frame = readSof(bytes, pos + 2, marker, length);
            if (!walk.frame) {
                return std::nullopt;
            }
            if (marker == 0xC2 || marker == 0xCA) {
                walk.firstScanComponents = -1; // progressive
            }
        } else if (marker == 0xDA) {
            if (!walk.frame) {
                return std::nullopt;
            }
            const auto named = readSos(bytes, pos + 2, length, *walk.frame);
            if (!named) {
                return std::nullopt;
            }
            walk.firstScan = markerAt;
            if (walk.firstScanComponents == 0) {
                walk.firstScanComponents = static_cast<int>(named->size());
            }
            return walk;
        }
        pos += length;
    }
    return std::nullopt;
}

std::optional<PictureHeader> readJpeg(PictureBytes& bytes) {
    const std::optional<JpegWalk> walk = walkToFirstScan(bytes);
    if (!walk) {
        return std::nullopt;
    }
    const JpegFrame& frame = *walk->frame;
    PictureHeader header;
    header.format = PictureFormat::Jpeg;
    header.width = frame.width;
    header.height = frame.height;
    header.components = static_cast<int>(frame.components.size());
    // Progressive, or sequential with the components in separate scans: either way every
    // coefficient is kept until the last scan.
    header.progressive = walk->firstScanComponents < 0 ||
                         walk->firstScanComponents < static_cast<int>(frame.components.size());
    header.firstScan = walk->firstScan;
    std::uint64_t coefficients = 0;
    if (header.progressive) {
        for (const JpegComponent& c : frame.components) {
            coefficients += frame.blocks(c) * kBytesPerBlock;
        }
    }
    // The decoder scales down by up to 8 while it decodes, so it fills an eighth on each side;
    // a request of up to 2048 pixels may keep more of a picture just beyond that.
    const std::uint64_t eighth = divUp(frame.width, 8) * divUp(frame.height, 8);
    const std::uint64_t request =
        std::min<std::uint64_t>(std::uint64_t{frame.width} * frame.height, 2048u * 2048u);
    header.decodeCost = coefficients + std::max(eighth, request) * kBytesPerPixel;
    // Every block costs at least a bit: its DC difference.
    std::uint64_t blocks = 0;
    for (const JpegComponent& c : frame.components) {
        blocks += frame.blocks(c);
    }
    header.leastFileBytes = blocks / 8;
    return header;
}

// --- SVG ---

bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::optional<PictureHeader> readSvg(PictureBytes& bytes) {
    std::vector<unsigned char> sniff(std::min<std::uint64_t>(bytes.size(), kSvgSniffBytes));
    sniff.resize(bytes.read(0, sniff));
    std::size_t i = 0;
    if (sniff.size() >= 3 && sniff[0] == 0xEF && sniff[1] == 0xBB && sniff[2] == 0xBF) {
        i = 3;
    }
    while (i < sniff.size() && isSpace(sniff[i])) {
        ++i;
    }
    const std::string_view text(reinterpret_cast<const char*>(sniff.data()), sniff.size());
    if (i >= sniff.size() || sniff[i] != '<' || text.find("<svg", i) == std::string_view::npos) {
        return std::nullopt;
    }
    PictureHeader header;
    header.format = PictureFormat::Svg;
    header.decodeCost = bytes.size() * kSvgBytesPerTextByte;
    return header;
}

std::optional<PictureHeader> readSvgz(PictureBytes& bytes) {
    // gzip: deflate only, no reserved flags. Its last 4 bytes give the text's length (modulo
    // 2^32); inflating stops at kMaxSvgBytes whatever they say.
    std::array<unsigned char, 10> h{};
    std::array<unsigned char, 4> trailer{};
    if (!readExactly(bytes, 0, h) || h[2] != 8 || (h[3] & 0xE0) != 0 || bytes.size() < 18 ||
        !readExactly(bytes, bytes.size() - 4, trailer)) {
        return std::nullopt;
    }
    PictureHeader header;
    header.format = PictureFormat::Svgz;
    header.decodeCost = le32(trailer.data()) * kSvgBytesPerTextByte;
    return header;
}

} // namespace

std::size_t SpanPictureBytes::read(std::uint64_t offset, std::span<unsigned char> out) {
    if (offset >= bytes_.size()) {
        return 0;
    }
    const std::size_t n = std::min<std::uint64_t>(out.size(), bytes_.size() - offset);
    std::memcpy(out.data(), bytes_.data() + offset, n);
    return n;
}

namespace {

class FilePictureBytes final : public PictureBytes {
public:
    FilePictureBytes(std::ifstream in, std::uint64_t size) : in_(std::move(in)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, std::span<unsigned char> out) override {
        if (offset >= size_ || out.empty()) {
            return 0;
        }
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        const auto n = std::min<std::uint64_t>(out.size(), size_ - offset);
        in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(in_.gcount());
    }

private:
    std::ifstream in_;
    std::uint64_t size_;
};

} // namespace

std::unique_ptr<PictureBytes> openPictureFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return nullptr;
    }
    const fs::path file = pathutil::toFsPath(path);
    std::error_code ec;
    // Only regular files: opening a FIFO for reading could wait forever.
    if (!fs::is_regular_file(fs::status(file, ec))) {
        return nullptr;
    }
    const std::uint64_t size = fs::file_size(file, ec);
    if (ec) {
        return nullptr;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return nullptr;
    }
    return std::make_unique<FilePictureBytes>(std::move(in), size);
}

std::optional<PictureHeader> readPictureHeader(PictureBytes& bytes) {
    std::array<unsigned char, 8> head{};
    const std::size_t n = bytes.read(0, head);
    const auto starts = [&](std::string_view magic) {
        return n >= magic.size() && std::memcmp(head.data(), magic.data(), magic.size()) == 0;
    };
    std::optional<PictureHeader> header;
    if (starts("BM")) {
        header = readBmp(bytes);
    } else if (starts("\xFF\xD8\xFF")) {
        header = readJpeg(bytes);
    } else if (starts("\x89PNG\r\n\x1A\n")) {
        header = readPng(bytes);
    } else if (starts("GIF87a") || starts("GIF89a")) {
        header = readGif(bytes);
    } else if (starts("\x1F\x8B")) {
        header = readSvgz(bytes);
    } else {
        header = readSvg(bytes);
    }
    if (header) {
        header->fileBytes = bytes.size();
    }
    return header;
}

std::optional<PictureHeader> readPictureHeader(std::span<const unsigned char> bytes) {
    SpanPictureBytes source(bytes);
    return readPictureHeader(source);
}

PictureRefusal judgePicture(const PictureHeader& header) {
    const bool vector = header.format == PictureFormat::Svg || header.format == PictureFormat::Svgz;
    if (vector) {
        // Drawn at the size asked for; what costs is the text the renderer parses.
        if (header.fileBytes > kMaxSvgBytes) {
            return PictureRefusal::TooLargeFile;
        }
        return header.decodeCost > kMaxSvgBytes * kSvgBytesPerTextByte ? PictureRefusal::TooCostly
                                                                       : PictureRefusal::None;
    }
    if (header.fileBytes > kMaxPictureFileBytes) {
        return PictureRefusal::TooLargeFile;
    }
    if (header.width == 0 || header.height == 0 || header.width > kMaxPictureSide ||
        header.height > kMaxPictureSide ||
        std::uint64_t{header.width} * header.height > kMaxPicturePixels) {
        return PictureRefusal::TooManyPixels;
    }
    if (header.decodeCost > kMaxDecodeBytes ||
        (header.decodeCost > kFreeDecodeBytes && header.fileBytes < header.leastFileBytes)) {
        return PictureRefusal::TooCostly;
    }
    return PictureRefusal::None;
}

std::optional<std::uint64_t> jpegBlockVisits(PictureBytes& bytes, const PictureHeader& header) {
    if (header.format != PictureFormat::Jpeg || header.firstScan == 0) {
        return std::nullopt;
    }
    const std::optional<JpegWalk> walk = walkToFirstScan(bytes);
    if (!walk || walk->firstScan != header.firstScan) {
        return std::nullopt;
    }
    const JpegFrame& frame = *walk->frame;
    std::uint64_t visits = 0;
    std::uint64_t pos = header.firstScan;
    std::vector<unsigned char> chunk(kScanChunk);
    // At `pos` stands a marker; scans are followed through their entropy-coded data to the
    // next marker that is not a restart.
    for (;;) {
        std::array<unsigned char, 4> m{};
        const std::size_t got = bytes.read(pos, m);
        if (got < 2) {
            return visits; // the file ends: the decoder stops here too
        }
        if (m[0] != 0xFF) {
            return std::nullopt;
        }
        const int marker = m[1];
        if (marker == 0xFF) {
            ++pos;
            continue;
        }
        if (marker == 0xD9) {
            return visits;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (got < 4) {
            return visits;
        }
        if (be16(&m[2]) < 2) {
            return std::nullopt;
        }
        const std::uint32_t length = be16(&m[2]);
        if (marker == 0xDA) {
            const auto named = readSos(bytes, pos + 4, length, frame);
            if (!named) {
                return std::nullopt;
            }
            for (const JpegComponent* c : *named) {
                // A scan of one component visits its blocks; an interleaved scan, whole MCUs.
                visits += frame.blocks(*c);
            }
            if (visits > kMaxJpegBlockVisits) {
                return visits;
            }
            // Entropy-coded data up to a marker: 0xFF followed by neither a stuffed zero nor
            // a restart marker.
            pos += 2 + length;
            for (bool found = false; !found;) {
                const std::size_t n = bytes.read(pos, chunk);
                if (n < 2) {
                    return visits;
                }
                std::size_t i = 0;
                while (i + 1 < n) {
                    const auto* ff = static_cast<const unsigned char*>(
                        std::memchr(chunk.data() + i, 0xFF, n - 1 - i));
                    if (!ff) {
                        i = n - 1;
                        break;
                    }
                    i = static_cast<std::size_t>(ff - chunk.data());
                    const unsigned char next = chunk[i + 1];
                    if (next == 0x00 || next == 0xFF || (next >= 0xD0 && next <= 0xD7)) {
                        i += next == 0xFF ? 1 : 2;
                        continue;
                    }
                    found = true;
                    break;
                }
                pos += i;
            }
            continue;
        }
        if (isSof(marker) || marker == 0xD8) {
            return std::nullopt;
        }
        pos += 2 + length; // tables and metadata between scans
    }
}

PictureCheck checkPicture(PictureBytes& bytes, PictureCheckDepth depth) {
    PictureCheck check;
    check.header = readPictureHeader(bytes);
    if (!check.header) {
        return check;
    }
    check.refusal = judgePicture(*check.header);
    if (check.refusal == PictureRefusal::None && depth == PictureCheckDepth::Full &&
        check.header->progressive) {
        const std::optional<std::uint64_t> visits = jpegBlockVisits(bytes, *check.header);
        if (!visits) {
            check.refusal = PictureRefusal::NotAPicture;
        } else if (*visits > kMaxJpegBlockVisits) {
            check.refusal = PictureRefusal::TooManyScans;
        }
    }
    return check;
}

PictureCheck checkPictureFile(const std::string& path, PictureCheckDepth depth) {
    const std::unique_ptr<PictureBytes> bytes = openPictureFile(path);
    if (!bytes) {
        return {};
    }
    return checkPicture(*bytes, depth);
}

} // namespace gemino

#include "core/iconfile/reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace gemino::iconfile {

namespace {

// Up to 256 x 256 a PNG is accepted at any size; beyond that it must hold at least one byte per
// 256 pixels, so a tiny file cannot unpack into a huge picture.
constexpr std::uint64_t kFreePngPixels = 256 * 256;
constexpr std::uint64_t kPngPixelsPerByte = 256;

bool isPng(std::span<const unsigned char> image) {
    static constexpr std::array<unsigned char, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                                0x0D, 0x0A, 0x1A, 0x0A};
    return image.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), image.begin());
}

std::optional<ImageInfo> inspectPng(std::span<const unsigned char> image) {
    if (image.size() < 33 || be32(&image[8]) != 13 || std::memcmp(&image[12], "IHDR", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t width = be32(&image[16]);
    const std::uint32_t height = be32(&image[20]);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) {
        return std::nullopt;
    }
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > kFreePngPixels && pixels > kPngPixelsPerByte * image.size()) {
        return std::nullopt;
    }
    return ImageInfo{static_cast<int>(width), static_cast<int>(height), 32, true};
}

} // namespace

std::optional<ImageInfo> inspectImage(std::span<const unsigned char> image) {
    if (isPng(image)) {
        return inspectPng(image);
    }
    const auto layout = parseDib(image);
    if (!layout) {
        return std::nullopt;
    }
    return ImageInfo{layout->width, layout->height, layout->bitCount, false};
}

std::optional<DibLayout> parseDib(std::span<const unsigned char> image) {
    if (image.size() < 40) {
        return std::nullopt;
    }
    const std::uint32_t headerSize = le32(&image[0]);
    const std::int32_t width = static_cast<std::int32_t>(le32(&image[4]));
    const std::int32_t doubledHeight = static_cast<std::int32_t>(le32(&image[8]));
    const int bitCount = le16(&image[14]);
    const std::uint32_t compression = le32(&image[16]);
    const std::uint32_t colorsUsed = le32(&image[32]);
    if (headerSize < 40 || headerSize > image.size() || width < 1 || width > kMaxImageSide ||
        doubledHeight < 2 || doubledHeight / 2 > kMaxImageSide || compression != 0) {
        return std::nullopt;
    }
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return std::nullopt;
    }
    DibLayout layout;
    layout.width = width;
    layout.height = doubledHeight / 2;
    layout.bitCount = bitCount;
    layout.paletteOffset = headerSize;
    std::uint64_t paletteCount = colorsUsed;
    if (bitCount <= 8) {
        const std::uint64_t full = std::uint64_t{1} << bitCount;
        paletteCount = colorsUsed == 0 ? full : std::min<std::uint64_t>(colorsUsed, full);
    }
    const std::uint64_t xorOffset = headerSize + 4 * paletteCount;
    const std::uint64_t xorStride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
    const std::uint64_t andStride = (std::uint64_t(width) + 31) / 32 * 4;
    const std::uint64_t andOffset = xorOffset + xorStride * layout.height;
    if (andOffset > image.size()) {
        return std::nullopt;
    }
    layout.paletteCount = static_cast<std::size_t>(bitCount <= 8 ? paletteCount : 0);
    layout.xorOffset = static_cast<std::size_t>(xorOffset);
    layout.xorStride = static_cast<std::size_t>(xorStride);
    layout.andOffset = static_cast<std::size_t>(andOffset);
    layout.andStride = static_cast<std::size_t>(andStride);
    layout.hasMask = image.size() - andOffset >= andStride * layout.height;
    return layout;
}

bool decodeDib(std::span<const unsigned char> image, std::uint32_t* pixels, std::size_t stride) {
    const auto found = parseDib(image);
    if (!found) {
        return false;
    }
    const DibLayout& dib = *found;
    const unsigned char* bytes = image.data();
    std::array<std::uint32_t, 256> palette;
    palette.fill(0xFF000000u);
    for (std::size_t i = 0; i < dib.paletteCount; ++i) {
        const unsigned char* c = bytes + dib.paletteOffset + 4 * i;
        palette[i] = 0xFF000000u | (std::uint32_t{c[2]} << 16) | (std::uint32_t{c[1]} << 8) | c[0];
    }
    const auto w = static_cast<std::size_t>(dib.width);
    const auto h = static_cast<std::size_t>(dib.height);
    bool useAlpha = false;
    if (dib.bitCount == 32) {
        for (std::size_t y = 0; y < h && !useAlpha; ++y) {
            const unsigned char* row = bytes + dib.xorOffset + y * dib.xorStride;
            for (std::size_t x = 0; x < w; ++x) {
                if (row[4 * x + 3] != 0) {
                    useAlpha = true;
                    break;
                }
            }
        }
    }
    for (std::size_t y = 0; y < h; ++y) {
        const unsigned char* row = bytes + dib.xorOffset + (h - 1 - y) * dib.xorStride;
        std::uint32_t* out = pixels + y * stride;
        switch (dib.bitCount) {
        case 1:
            for (std::size_t x = 0; x < w; ++x) {
                out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
            }
            break;
        case 4:
            for (std::size_t x = 0; x < w; ++x) {
                out[x] = palette[(row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0F];
            }
            break;
        case 8:
            for (std::size_t x = 0; x < w; ++x) {
                out[x] = palette[row[x]];
            }
            break;
        case 16:
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint32_t v = le16(row + 2 * x);
                const auto expand = [](std::uint32_t c) { return (c << 3) | (c >> 2); };
                out[x] = 0xFF000000u | (expand((v >> 10) & 31) << 16) |
                         (expand((v >> 5) & 31) << 8) | expand(v & 31);
            }
            break;
        case 24:
            for (std::size_t x = 0; x < w; ++x) {
                const unsigned char* p = row + 3 * x;
                out[x] =
                    0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
            }
            break;
        default:
            for (std::size_t x = 0; x < w; ++x) {
                const unsigned char* p = row + 4 * x;
                const std::uint32_t alpha = useAlpha ? p[3] : 0xFF;
                out[x] =
                    (alpha << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
            }
            break;
        }
        if (!useAlpha && dib.hasMask) {
            const unsigned char* mask = bytes + dib.andOffset + (h - 1 - y) * dib.andStride;
            for (std::size_t x = 0; x < w; ++x) {
                if (((mask[x >> 3] >> (7 - (x & 7))) & 1) != 0) {
                    out[x] = 0;
                }
            }
        }
    }
    return true;
}

} // namespace gemino::iconfile

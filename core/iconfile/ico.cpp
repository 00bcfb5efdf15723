#include "core/iconfile/reader.h"

#include <algorithm>
#include <set>
#include <unordered_set>

namespace gemino::iconfile {

namespace {

// All images of one group together may decode to at most this many pixels (16 MiB as ARGB):
// several times what the largest real group (up to 256 x 256 in a dozen forms) needs.
constexpr std::uint64_t kMaxGroupPixels = 4u * 1024 * 1024;
// The images of one group together, at most: far beyond any real group, and it keeps every
// offset of a rebuilt ICO stream within 32 bits.
constexpr std::uint64_t kMaxGroupBytes = 64u * 1024 * 1024;
// A group directory holds at most 65535 entries of 14 bytes.
constexpr std::uint64_t kMaxGroupDirBytes = 6 + 14 * 65535;

std::uint64_t pixelCount(const ImageInfo& info) {
    return std::uint64_t(info.width) * std::uint64_t(info.height);
}

// The directory entry that agrees with the image's own header: a group directory may claim
// any size, but drawing goes by what the image holds.
std::array<unsigned char, 8> fieldsFor(std::span<const unsigned char> image, const ImageInfo& info,
                                       std::array<unsigned char, 8> fields) {
    fields[0] = static_cast<unsigned char>(info.width >= 256 ? 0 : info.width);
    fields[1] = static_cast<unsigned char>(info.height >= 256 ? 0 : info.height);
    fields[2] = 0;
    if (!info.png && info.bitCount < 8) {
        fields[2] = static_cast<unsigned char>(parseDib(image)->paletteCount);
    }
    putLe16(&fields[4], 1);
    putLe16(&fields[6], static_cast<std::uint32_t>(info.bitCount));
    return fields;
}

// An icon file is one group: its own directory.
class IcoContainer final : public Container {
public:
    explicit IcoContainer(Source& source) : source_(source) {}
    int groupCount() const override { return 1; }
    std::vector<IconPiece> groupImages(int) override {
        return readIcoDirectory(source_).value_or(std::vector<IconPiece>{});
    }

private:
    Source& source_;
};

} // namespace

std::optional<std::vector<IconPiece>> readIcoDirectory(Source& source) {
    std::array<unsigned char, 6> head{};
    if (!source.read(0, head.size(), head.data()) || le16(&head[0]) != 0 || le16(&head[2]) != 1) {
        return std::nullopt;
    }
    const std::uint64_t count = std::min<std::uint64_t>(le16(&head[4]), (source.size() - 6) / 16);
    const auto entries = source.readBytes(6, 16 * count);
    if (!entries) {
        return std::nullopt;
    }
    std::vector<IconPiece> pieces(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const unsigned char* e = &(*entries)[16 * i];
        std::copy(e, e + 8, pieces[i].fields.begin());
        pieces[i].size = le32(e + 8);
        pieces[i].offset = le32(e + 12);
    }
    return pieces;
}

std::vector<IconPiece> groupPieces(Source& source, std::uint64_t offset, std::uint64_t size,
                                   const IconLocator& locate) {
    std::vector<IconPiece> pieces;
    const auto dir = source.readBytes(offset, std::min(size, kMaxGroupDirBytes));
    if (!dir || dir->size() < 6 || le16(&(*dir)[2]) != 1) {
        return pieces;
    }
    // Entries are 14 bytes: the 8 fields of an ICO entry, the image's size, then its number.
    const std::size_t count = std::min<std::size_t>(le16(&(*dir)[4]), (dir->size() - 6) / 14);
    std::unordered_set<std::uint16_t> ids;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = &(*dir)[6 + 14 * i];
        const std::uint16_t id = le16(e + 12);
        if (!ids.insert(id).second) {
            continue;
        }
        if (const auto located = locate(id)) {
            IconPiece piece;
            std::copy(e, e + 8, piece.fields.begin());
            std::tie(piece.offset, piece.size) = *located;
            pieces.push_back(piece);
        }
    }
    return pieces;
}

// The images read never add up to more than the container's size, nor their pixels to more
// than `kMaxGroupPixels`: a directory that names one image many times gets it once.
std::optional<std::vector<unsigned char>> buildIco(Source& source,
                                                   const std::vector<IconPiece>& pieces) {
    struct Image {
        std::array<unsigned char, 8> fields;
        std::vector<unsigned char> bytes;
    };
    std::vector<Image> images;
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    std::uint64_t bytesLeft = std::min(source.size(), kMaxGroupBytes);
    std::uint64_t pixelsLeft = kMaxGroupPixels;
    for (const IconPiece& piece : pieces) {
        if (piece.size == 0 || piece.size > bytesLeft ||
            !seen.insert({piece.offset, piece.size}).second) {
            continue;
        }
        auto bytes = source.readBytes(piece.offset, piece.size);
        if (!bytes) {
            continue;
        }
        const auto info = inspectImage(*bytes);
        if (!info || pixelCount(*info) > pixelsLeft) {
            continue;
        }
        bytesLeft -= piece.size;
        pixelsLeft -= pixelCount(*info);
        images.push_back({fieldsFor(*bytes, *info, piece.fields), std::move(*bytes)});
    }
    if (images.empty()) {
        return std::nullopt;
    }
    std::size_t total = 6 + 16 * images.size();
    for (const Image& image : images) {
        total += image.bytes.size();
    }
    std::vector<unsigned char> ico(total);
    putLe16(&ico[2], 1);
    putLe16(&ico[4], static_cast<std::uint32_t>(images.size()));
    std::size_t at = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        unsigned char* entry = &ico[6 + 16 * i];
        std::copy(images[i].fields.begin(), images[i].fields.end(), entry);
        putLe32(entry + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        putLe32(entry + 12, static_cast<std::uint32_t>(at));
        std::copy(images[i].bytes.begin(), images[i].bytes.end(), ico.begin() + at);
        at += images[i].bytes.size();
    }
    return ico;
}

// A file is taken as an icon file when its directory names at least one image inside it.
std::unique_ptr<Container> openIco(Source& source) {
    const auto pieces = readIcoDirectory(source);
    if (!pieces) {
        return nullptr;
    }
    for (const IconPiece& piece : *pieces) {
        if (piece.size != 0 && source.contains(piece.offset, piece.size)) {
            return std::make_unique<IcoContainer>(source);
        }
    }
    return nullptr;
}

std::vector<IcoImage> icoImages(std::span<const unsigned char> ico) {
    std::vector<IcoImage> images;
    const auto source = memorySource(ico);
    const auto pieces = readIcoDirectory(*source);
    if (!pieces) {
        return images;
    }
    std::uint64_t pixelsLeft = kMaxGroupPixels;
    for (const IconPiece& piece : *pieces) {
        if (piece.size == 0 || !source->contains(piece.offset, piece.size)) {
            continue;
        }
        const auto data = ico.subspan(static_cast<std::size_t>(piece.offset),
                                      static_cast<std::size_t>(piece.size));
        const auto info = inspectImage(data);
        if (info && pixelCount(*info) <= pixelsLeft) {
            pixelsLeft -= pixelCount(*info);
            images.push_back({data, *info});
        }
    }
    return images;
}

} // namespace gemino::iconfile

#include "core/iconfile/iconfile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <unordered_set>
#include <utility>

namespace gemino::iconfile {

namespace {

// All images of one group together may decode to at most this many pixels (16 MiB as ARGB):
// several times what the largest real group (up to 256 x 256 in a dozen forms) needs.
constexpr std::uint64_t kMaxGroupPixels = 4u * 1024 * 1024;
// Up to 256 x 256 a PNG is accepted at any size; beyond that it must hold at least one byte per
// 256 pixels, so a tiny file cannot unpack into a huge picture.
constexpr std::uint64_t kFreePngPixels = 256 * 256;
constexpr std::uint64_t kPngPixelsPerByte = 256;
// The images of one group together, at most: far beyond any real group, and it keeps every
// offset of a rebuilt ICO stream within 32 bits.
constexpr std::uint64_t kMaxGroupBytes = 64u * 1024 * 1024;
// NE resource offsets are stored shifted; real modules use 4 to 9. Beyond 24 no file fits.
constexpr unsigned kMaxNeShift = 24;
// A group directory holds at most 65535 entries of 14 bytes.
constexpr std::uint64_t kMaxGroupDirBytes = 6 + 14 * 65535;

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtGroupIcon = 14;
constexpr std::uint16_t kNeRtIcon = 0x8003;
constexpr std::uint16_t kNeRtGroupIcon = 0x800E;
constexpr std::uint32_t kHighBit = 0x80000000u;

std::uint16_t U16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t I32(const unsigned char* p) {
    return static_cast<std::int32_t>(U32(p));
}

std::uint32_t U32BigEndian(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

void Put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

bool IsPng(std::span<const unsigned char> image) {
    static constexpr std::array<unsigned char, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                                0x0D, 0x0A, 0x1A, 0x0A};
    return image.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), image.begin());
}

std::optional<ImageInfo> InspectPng(std::span<const unsigned char> image) {
    if (image.size() < 33 || U32BigEndian(&image[8]) != 13 ||
        std::memcmp(&image[12], "IHDR", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t width = U32BigEndian(&image[16]);
    const std::uint32_t height = U32BigEndian(&image[20]);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) {
        return std::nullopt;
    }
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > kFreePngPixels && pixels > kPngPixelsPerByte * image.size()) {
        return std::nullopt;
    }
    return ImageInfo{static_cast<int>(width), static_cast<int>(height), 32, true};
}

std::uint64_t Pixels(const ImageInfo& info) {
    return std::uint64_t(info.width) * std::uint64_t(info.height);
}

// Random access to a container's bytes. Every read names its range first, so nothing is
// allocated for a range that is not inside the container.
class Source {
public:
    virtual ~Source() = default;
    std::uint64_t Size() const { return size_; }
    std::uint64_t BytesRead() const { return bytesRead_; }

    bool Contains(std::uint64_t offset, std::uint64_t n) const {
        return offset <= size_ && n <= size_ - offset;
    }
    bool Read(std::uint64_t offset, std::size_t n, unsigned char* out) {
        if (!Contains(offset, n)) {
            return false;
        }
        return n == 0 || DoRead(offset, n, out);
    }
    std::optional<std::vector<unsigned char>> ReadBytes(std::uint64_t offset, std::uint64_t n) {
        if (!Contains(offset, n)) {
            return std::nullopt;
        }
        std::vector<unsigned char> bytes(static_cast<std::size_t>(n));
        if (!Read(offset, bytes.size(), bytes.data())) {
            return std::nullopt;
        }
        return bytes;
    }

protected:
    virtual bool DoRead(std::uint64_t offset, std::size_t n, unsigned char* out) = 0;
    std::uint64_t size_ = 0;
    std::uint64_t bytesRead_ = 0;
};

class MemorySource final : public Source {
public:
    explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {
        size_ = bytes.size();
    }

private:
    bool DoRead(std::uint64_t offset, std::size_t n, unsigned char* out) override {
        std::memcpy(out, bytes_.data() + offset, n);
        bytesRead_ += n;
        return true;
    }
    std::span<const unsigned char> bytes_;
};

// Directory walks make many small reads close together, so they are served from a few cached
// blocks; a large image is read straight into place.
class FileSource final : public Source {
public:
    explicit FileSource(const std::filesystem::path& path) {
        stream_.rdbuf()->pubsetbuf(nullptr, 0);
        stream_.open(path, std::ios::binary);
        if (!stream_) {
            return;
        }
        stream_.seekg(0, std::ios::end);
        const std::streamoff end = stream_.tellg();
        size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }

private:
    static constexpr std::size_t kBlockSize = 32 * 1024;
    static constexpr std::size_t kBlockCount = 8;

    struct Block {
        std::uint64_t index = std::numeric_limits<std::uint64_t>::max();
        std::uint64_t lastUse = 0;
        std::vector<unsigned char> bytes;
    };

    bool ReadRaw(std::uint64_t offset, std::size_t n, unsigned char* out) {
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
        const bool ok = stream_.gcount() == static_cast<std::streamsize>(n);
        bytesRead_ += static_cast<std::uint64_t>(stream_.gcount());
        return ok;
    }

    const Block* Fetch(std::uint64_t index) {
        ++clock_;
        Block* victim = &blocks_[0];
        for (Block& block : blocks_) {
            if (block.index == index) {
                block.lastUse = clock_;
                return &block;
            }
            if (block.lastUse < victim->lastUse) {
                victim = &block;
            }
        }
        const std::uint64_t start = index * kBlockSize;
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, size_ - start));
        victim->bytes.resize(n);
        victim->index = std::numeric_limits<std::uint64_t>::max();
        if (!ReadRaw(start, n, victim->bytes.data())) {
            return nullptr;
        }
        victim->index = index;
        victim->lastUse = clock_;
        return victim;
    }

    bool DoRead(std::uint64_t offset, std::size_t n, unsigned char* out) override {
        if (n >= kBlockSize) {
            return ReadRaw(offset, n, out);
        }
        while (n > 0) {
            const Block* block = Fetch(offset / kBlockSize);
            if (block == nullptr) {
                return false;
            }
            const auto within = static_cast<std::size_t>(offset % kBlockSize);
            if (within >= block->bytes.size()) {
                return false;
            }
            const std::size_t take = std::min(n, block->bytes.size() - within);
            std::memcpy(out, block->bytes.data() + within, take);
            out += take;
            offset += take;
            n -= take;
        }
        return true;
    }

    std::ifstream stream_;
    std::array<Block, kBlockCount> blocks_;
    std::uint64_t clock_ = 0;
};

std::filesystem::path PathFromUtf8(const std::string& path) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

// Where the bytes of one icon image are, and the directory fields that came with it.
struct Piece {
    std::array<unsigned char, 8> fields{}; // width, height, colours, reserved, planes, bit count
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The directory entry that agrees with the image's own header: a group directory may claim
// any size, but drawing goes by what the image holds.
std::array<unsigned char, 8> FieldsFor(std::span<const unsigned char> image, const ImageInfo& info,
                                       std::array<unsigned char, 8> fields) {
    fields[0] = static_cast<unsigned char>(info.width >= 256 ? 0 : info.width);
    fields[1] = static_cast<unsigned char>(info.height >= 256 ? 0 : info.height);
    fields[2] = 0;
    if (!info.png && info.bitCount < 8) {
        fields[2] = static_cast<unsigned char>(ParseDib(image)->paletteCount);
    }
    Put16(&fields[4], 1);
    Put16(&fields[6], static_cast<std::uint32_t>(info.bitCount));
    return fields;
}

// Gathers the pieces into one ICO stream. The images read never add up to more than the
// container's size, nor their pixels to more than `kMaxGroupPixels`: a directory that names
// one image many times gets it once.
std::optional<std::vector<unsigned char>> BuildIco(Source& source,
                                                   const std::vector<Piece>& pieces) {
    struct Image {
        std::array<unsigned char, 8> fields;
        std::vector<unsigned char> bytes;
    };
    std::vector<Image> images;
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    std::uint64_t bytesLeft = std::min(source.Size(), kMaxGroupBytes);
    std::uint64_t pixelsLeft = kMaxGroupPixels;
    for (const Piece& piece : pieces) {
        if (piece.size == 0 || piece.size > bytesLeft ||
            !seen.insert({piece.offset, piece.size}).second) {
            continue;
        }
        auto bytes = source.ReadBytes(piece.offset, piece.size);
        if (!bytes) {
            continue;
        }
        const auto info = InspectImage(*bytes);
        if (!info || Pixels(*info) > pixelsLeft) {
            continue;
        }
        bytesLeft -= piece.size;
        pixelsLeft -= Pixels(*info);
        images.push_back({FieldsFor(*bytes, *info, piece.fields), std::move(*bytes)});
    }
    if (images.empty()) {
        return std::nullopt;
    }
    std::size_t total = 6 + 16 * images.size();
    for (const Image& image : images) {
        total += image.bytes.size();
    }
    std::vector<unsigned char> ico(total);
    Put16(&ico[2], 1);
    Put16(&ico[4], static_cast<std::uint32_t>(images.size()));
    std::size_t at = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        unsigned char* entry = &ico[6 + 16 * i];
        std::copy(images[i].fields.begin(), images[i].fields.end(), entry);
        Put32(entry + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        Put32(entry + 12, static_cast<std::uint32_t>(at));
        std::copy(images[i].bytes.begin(), images[i].bytes.end(), ico.begin() + at);
        at += images[i].bytes.size();
    }
    return ico;
}

// The entries of a group directory (GRPICONDIR), each naming its image by number.
struct GroupEntry {
    std::array<unsigned char, 8> fields{};
    std::uint16_t id = 0;
};

std::vector<GroupEntry> ParseGroupDirectory(std::span<const unsigned char> dir) {
    std::vector<GroupEntry> entries;
    if (dir.size() < 6 || U16(&dir[2]) != 1) {
        return entries;
    }
    const std::size_t count = std::min<std::size_t>(U16(&dir[4]), (dir.size() - 6) / 14);
    std::unordered_set<std::uint16_t> ids;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = &dir[6 + 14 * i];
        GroupEntry entry;
        std::copy(e, e + 8, entry.fields.begin());
        entry.id = U16(e + 12);
        if (ids.insert(entry.id).second) {
            entries.push_back(entry);
        }
    }
    return entries;
}

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t extent = 0; // bytes both mapped and present in the file
    std::uint32_t fileOffset = 0;
};

struct ResourceEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;
};

// An icon image of a module: for PE the file offset of its resource data entry, for NE the
// file range of its bytes.
struct IconRef {
    std::uint16_t id = 0;
    std::uint32_t language = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

struct GroupRef {
    std::uint32_t language = 0;
    std::uint64_t offset = 0; // PE: resource data entry; NE and ICO: the bytes themselves
    std::uint64_t size = 0;
};

} // namespace

struct IconFile::Impl {
    std::unique_ptr<Source> source;
    Container container = Container::None;
    std::vector<GroupRef> groups;

    // PE: the sections and the resource tree, whose offsets count from `resourceBase`.
    std::vector<Section> sections;
    std::uint64_t resourceBase = 0;
    std::uint64_t resourceSize = 0;
    std::vector<ResourceEntry> rootEntries;
    std::unordered_set<std::uint32_t> visitedDirectories;
    std::uint64_t directoryBytesLeft = 0;

    bool iconsLoaded = false;
    bool iconsOk = false;
    std::vector<IconRef> icons; // sorted by id, languages in directory order

    // Image bytes handed out so far may reach a few times the file's size: groups of a real
    // module share few images, so calling every group stays linear in the file.
    std::uint64_t imageBytesLeft = 0;

    void Parse();
    bool ParseIco();
    void ParsePe(std::uint64_t header);
    void ParseNe(std::uint64_t header);
    std::optional<std::vector<ResourceEntry>> ReadDirectory(std::uint32_t offset);
    std::optional<std::uint64_t> MapRva(std::uint32_t rva, std::uint32_t size) const;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> ResolveDataEntry(std::uint64_t entry);
    bool LoadPeIcons();
    std::optional<std::vector<unsigned char>> ModuleGroup(const GroupRef& group);
    std::optional<std::vector<unsigned char>> IcoFileGroup();
};

void IconFile::Impl::Parse() {
    imageBytesLeft = 4 * source->Size() + 65536;
    std::array<unsigned char, 64> mz{};
    if (source->Read(0, mz.size(), mz.data()) && mz[0] == 'M' && mz[1] == 'Z') {
        const std::uint64_t header = U32(&mz[0x3C]);
        std::array<unsigned char, 4> signature{};
        if (!source->Read(header, signature.size(), signature.data())) {
            return;
        }
        if (std::memcmp(signature.data(), "PE\0\0", 4) == 0) {
            container = Container::Pe;
            ParsePe(header);
        } else if (signature[0] == 'N' && signature[1] == 'E') {
            container = Container::Ne;
            ParseNe(header);
        }
        return;
    }
    if (ParseIco()) {
        container = Container::Ico;
    }
}

bool IconFile::Impl::ParseIco() {
    std::array<unsigned char, 6> head{};
    if (!source->Read(0, head.size(), head.data()) || U16(&head[0]) != 0 || U16(&head[2]) != 1) {
        return false;
    }
    const std::uint64_t count = std::min<std::uint64_t>(U16(&head[4]), (source->Size() - 6) / 16);
    if (count == 0) {
        return false;
    }
    const auto entries = source->ReadBytes(6, 16 * count);
    if (!entries) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t size = U32(&(*entries)[16 * i + 8]);
        if (size != 0 && source->Contains(U32(&(*entries)[16 * i + 12]), size)) {
            groups.push_back({0, 0, source->Size()});
            return true;
        }
    }
    return false;
}

void IconFile::Impl::ParsePe(std::uint64_t header) {
    std::array<unsigned char, 20> coff{};
    if (!source->Read(header + 4, coff.size(), coff.data())) {
        return;
    }
    const std::uint16_t sectionCount = U16(&coff[2]);
    const std::uint16_t optionalSize = U16(&coff[16]);
    const std::uint64_t optionalAt = header + 24;
    const auto optionalBytes = source->ReadBytes(optionalAt, optionalSize);
    if (!optionalBytes || optionalBytes->size() < 2) {
        return;
    }
    const std::vector<unsigned char>& optional = *optionalBytes;
    std::size_t countAt = 0;
    switch (U16(&optional[0])) {
    case 0x10B: // PE32
        countAt = 92;
        break;
    case 0x20B: // PE32+
        countAt = 108;
        break;
    default:
        return;
    }
    const std::size_t directoriesAt = countAt + 4;
    constexpr std::size_t kResourceDirectory = 2;
    if (optional.size() < directoriesAt + 8 * (kResourceDirectory + 1) ||
        U32(&optional[countAt]) <= kResourceDirectory) {
        return;
    }
    const std::uint32_t resourceRva = U32(&optional[directoriesAt + 8 * kResourceDirectory]);
    if (resourceRva == 0) {
        return;
    }

    const auto table = source->ReadBytes(optionalAt + optionalSize, 40 * sectionCount);
    if (!table) {
        return;
    }
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const unsigned char* s = &(*table)[40 * i];
        const std::uint32_t virtualSize = U32(s + 8);
        const std::uint32_t rawSize = U32(s + 16);
        Section section;
        section.virtualAddress = U32(s + 12);
        section.fileOffset = U32(s + 20);
        section.extent = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        if (section.extent != 0) {
            sections.push_back(section);
        }
    }
    std::sort(sections.begin(), sections.end(), [](const Section& a, const Section& b) {
        return a.virtualAddress < b.virtualAddress;
    });

    const auto base = MapRva(resourceRva, 16);
    if (!base) {
        return;
    }
    // The resource tree lives in the rest of the section that holds its root.
    const auto section = std::prev(std::upper_bound(
        sections.begin(), sections.end(), resourceRva,
        [](std::uint32_t rva, const Section& s) { return rva < s.virtualAddress; }));
    resourceBase = *base;
    resourceSize = std::min<std::uint64_t>(
        section->extent - (resourceRva - section->virtualAddress), source->Size() - resourceBase);
    directoryBytesLeft = resourceSize;

    auto root = ReadDirectory(0);
    if (!root) {
        return;
    }
    rootEntries = std::move(*root);
    const auto type = std::find_if(rootEntries.begin(), rootEntries.end(),
                                   [](const ResourceEntry& e) { return e.name == kRtGroupIcon; });
    if (type == rootEntries.end()) {
        return;
    }
    if ((type->target & kHighBit) == 0) {
        return;
    }
    const auto names = ReadDirectory(type->target & ~kHighBit);
    if (!names) {
        return;
    }
    std::vector<GroupRef> found;
    for (const ResourceEntry& name : *names) {
        if ((name.target & kHighBit) == 0) {
            return; // a group must be a directory of languages
        }
        const auto languages = ReadDirectory(name.target & ~kHighBit);
        if (!languages) {
            return;
        }
        for (const ResourceEntry& language : *languages) {
            if ((language.target & kHighBit) != 0) {
                return; // deeper than type, name and language
            }
        }
        if (!languages->empty()) {
            found.push_back({languages->front().name, resourceBase + languages->front().target, 0});
        }
    }
    groups = std::move(found);
}

std::optional<std::uint64_t> IconFile::Impl::MapRva(std::uint32_t rva, std::uint32_t size) const {
    const auto after =
        std::upper_bound(sections.begin(), sections.end(), rva,
                         [](std::uint32_t r, const Section& s) { return r < s.virtualAddress; });
    if (after == sections.begin()) {
        return std::nullopt;
    }
    const Section& s = *std::prev(after);
    const std::uint32_t within = rva - s.virtualAddress;
    if (within >= s.extent || size > s.extent - within) {
        return std::nullopt;
    }
    const std::uint64_t offset = std::uint64_t{s.fileOffset} + within;
    if (!source->Contains(offset, size)) {
        return std::nullopt;
    }
    return offset;
}

// Reads one directory of the resource tree. A directory met twice means the tree loops or
// shares a branch, and the directories of a sound tree cannot together be larger than the
// resource section: either way the tree is refused, and no walk can run on unboundedly.
std::optional<std::vector<ResourceEntry>> IconFile::Impl::ReadDirectory(std::uint32_t offset) {
    if (!visitedDirectories.insert(offset).second || offset > resourceSize ||
        resourceSize - offset < 16) {
        return std::nullopt;
    }
    std::array<unsigned char, 16> head{};
    if (!source->Read(resourceBase + offset, head.size(), head.data())) {
        return std::nullopt;
    }
    const std::uint64_t count = std::uint64_t{U16(&head[12])} + U16(&head[14]);
    const std::uint64_t bytes = 16 + 8 * count;
    if (bytes > directoryBytesLeft || bytes > resourceSize - offset) {
        return std::nullopt;
    }
    directoryBytesLeft -= bytes;
    std::vector<unsigned char> raw(static_cast<std::size_t>(8 * count));
    if (!source->Read(resourceBase + offset + 16, raw.size(), raw.data())) {
        return std::nullopt;
    }
    std::vector<ResourceEntry> entries(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i] = {U32(&raw[8 * i]), U32(&raw[8 * i + 4])};
    }
    return entries;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>>
IconFile::Impl::ResolveDataEntry(std::uint64_t entry) {
    std::array<unsigned char, 16> data{};
    if (entry > resourceBase + resourceSize || resourceBase + resourceSize - entry < data.size() ||
        !source->Read(entry, data.size(), data.data())) {
        return std::nullopt;
    }
    const std::uint32_t size = U32(&data[4]);
    const auto offset = MapRva(U32(&data[0]), size);
    if (!offset || size == 0) {
        return std::nullopt;
    }
    return std::pair{*offset, std::uint64_t{size}};
}

bool IconFile::Impl::LoadPeIcons() {
    const auto type = std::find_if(rootEntries.begin(), rootEntries.end(),
                                   [](const ResourceEntry& e) { return e.name == kRtIcon; });
    if (type == rootEntries.end() || (type->target & kHighBit) == 0) {
        return false;
    }
    const auto names = ReadDirectory(type->target & ~kHighBit);
    if (!names) {
        return false;
    }
    for (const ResourceEntry& name : *names) {
        if ((name.target & kHighBit) == 0) {
            return false;
        }
        const auto languages = ReadDirectory(name.target & ~kHighBit);
        if (!languages) {
            return false;
        }
        for (const ResourceEntry& language : *languages) {
            if ((language.target & kHighBit) != 0) {
                return false;
            }
            // Group directories name images by number only.
            if (name.name <= 0xFFFF) {
                icons.push_back({static_cast<std::uint16_t>(name.name), language.name,
                                 resourceBase + language.target, 0});
            }
        }
    }
    std::stable_sort(icons.begin(), icons.end(),
                     [](const IconRef& a, const IconRef& b) { return a.id < b.id; });
    return true;
}

std::optional<std::vector<unsigned char>> IconFile::Impl::ModuleGroup(const GroupRef& group) {
    std::uint64_t groupOffset = group.offset;
    std::uint64_t groupSize = group.size;
    if (container == Container::Pe) {
        const auto located = ResolveDataEntry(group.offset);
        if (!located) {
            return std::nullopt;
        }
        std::tie(groupOffset, groupSize) = *located;
    }
    const auto directory = source->ReadBytes(groupOffset, std::min(groupSize, kMaxGroupDirBytes));
    if (!directory) {
        return std::nullopt;
    }
    if (container == Container::Pe && !iconsLoaded) {
        iconsLoaded = true;
        iconsOk = LoadPeIcons();
    }
    if (!iconsOk) {
        return std::nullopt;
    }

    std::vector<Piece> pieces;
    for (const GroupEntry& entry : ParseGroupDirectory(*directory)) {
        const auto [first, last] =
            std::equal_range(icons.begin(), icons.end(), IconRef{entry.id, 0, 0, 0},
                             [](const IconRef& a, const IconRef& b) { return a.id < b.id; });
        if (first == last) {
            continue;
        }
        auto chosen = std::find_if(
            first, last, [&](const IconRef& icon) { return icon.language == group.language; });
        if (chosen == last) {
            chosen = first;
        }
        Piece piece;
        piece.fields = entry.fields;
        if (container == Container::Pe) {
            const auto located = ResolveDataEntry(chosen->offset);
            if (!located) {
                continue;
            }
            std::tie(piece.offset, piece.size) = *located;
        } else {
            piece.offset = chosen->offset;
            piece.size = chosen->size;
        }
        pieces.push_back(piece);
    }
    return BuildIco(*source, pieces);
}

void IconFile::Impl::ParseNe(std::uint64_t header) {
    std::array<unsigned char, 64> ne{};
    if (!source->Read(header, ne.size(), ne.data())) {
        return;
    }
    const std::uint16_t tableOffset = U16(&ne[0x24]);
    if (tableOffset == U16(&ne[0x26])) {
        return; // no resource table
    }
    std::uint64_t at = header + tableOffset;
    std::array<unsigned char, 2> shiftBytes{};
    if (!source->Read(at, shiftBytes.size(), shiftBytes.data())) {
        return;
    }
    const unsigned shift = U16(shiftBytes.data());
    if (shift > kMaxNeShift) {
        return;
    }
    at += 2;
    std::vector<GroupRef> found;
    std::vector<IconRef> images;
    for (;;) {
        std::array<unsigned char, 8> type{};
        if (!source->Read(at, 2, type.data())) {
            return;
        }
        const std::uint16_t typeId = U16(type.data());
        if (typeId == 0) {
            break;
        }
        if (!source->Read(at, type.size(), type.data())) {
            return;
        }
        const std::uint16_t count = U16(&type[2]);
        const auto names = source->ReadBytes(at + 8, std::size_t{12} * count);
        if (!names) {
            return;
        }
        at += 8 + names->size();
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* n = &(*names)[12 * i];
            const std::uint64_t offset = std::uint64_t{U16(n)} << shift;
            const std::uint64_t length = std::uint64_t{U16(n + 2)} << shift;
            const std::uint16_t id = U16(n + 6);
            if (typeId == kNeRtGroupIcon) {
                found.push_back({0, offset, length});
            } else if (typeId == kNeRtIcon && (id & 0x8000) != 0) {
                images.push_back({static_cast<std::uint16_t>(id & 0x7FFF), 0, offset, length});
            }
        }
    }
    std::stable_sort(images.begin(), images.end(),
                     [](const IconRef& a, const IconRef& b) { return a.id < b.id; });
    groups = std::move(found);
    icons = std::move(images);
    iconsLoaded = true;
    iconsOk = true;
}

std::optional<std::vector<unsigned char>> IconFile::Impl::IcoFileGroup() {
    std::array<unsigned char, 6> head{};
    if (!source->Read(0, head.size(), head.data())) {
        return std::nullopt;
    }
    const std::uint64_t count = std::min<std::uint64_t>(U16(&head[4]), (source->Size() - 6) / 16);
    const auto entries = source->ReadBytes(6, 16 * count);
    if (!entries) {
        return std::nullopt;
    }
    std::vector<Piece> pieces(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const unsigned char* e = &(*entries)[16 * i];
        std::copy(e, e + 8, pieces[i].fields.begin());
        pieces[i].size = U32(e + 8);
        pieces[i].offset = U32(e + 12);
    }
    return BuildIco(*source, pieces);
}

std::optional<ImageInfo> InspectImage(std::span<const unsigned char> image) {
    if (IsPng(image)) {
        return InspectPng(image);
    }
    const auto layout = ParseDib(image);
    if (!layout) {
        return std::nullopt;
    }
    return ImageInfo{layout->width, layout->height, layout->bitCount, false};
}

std::optional<DibLayout> ParseDib(std::span<const unsigned char> image) {
    if (image.size() < 40) {
        return std::nullopt;
    }
    const std::uint32_t headerSize = U32(&image[0]);
    const std::int32_t width = I32(&image[4]);
    const std::int32_t doubledHeight = I32(&image[8]);
    const int bitCount = U16(&image[14]);
    const std::uint32_t compression = U32(&image[16]);
    const std::uint32_t colorsUsed = U32(&image[32]);
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

bool DecodeDib(std::span<const unsigned char> image, std::uint32_t* pixels, std::size_t stride) {
    const auto found = ParseDib(image);
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
                const std::uint32_t v = U16(row + 2 * x);
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

std::vector<IcoImage> IcoImages(std::span<const unsigned char> ico) {
    std::vector<IcoImage> images;
    if (ico.size() < 6 || U16(&ico[0]) != 0 || U16(&ico[2]) != 1) {
        return images;
    }
    const std::size_t count = std::min<std::size_t>(U16(&ico[4]), (ico.size() - 6) / 16);
    std::uint64_t pixelsLeft = kMaxGroupPixels;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = &ico[6 + 16 * i];
        const std::uint64_t size = U32(e + 8);
        const std::uint64_t offset = U32(e + 12);
        if (size == 0 || offset > ico.size() || size > ico.size() - offset) {
            continue;
        }
        const auto data =
            ico.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
        const auto info = InspectImage(data);
        if (info && Pixels(*info) <= pixelsLeft) {
            pixelsLeft -= Pixels(*info);
            images.push_back({data, *info});
        }
    }
    return images;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(PathFromUtf8(path), error);
}

IconFile::IconFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    impl_->Parse();
}

IconFile::IconFile(IconFile&&) noexcept = default;
IconFile& IconFile::operator=(IconFile&&) noexcept = default;
IconFile::~IconFile() = default;

IconFile IconFile::Open(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    if (IsRegularFile(path)) {
        impl->source = std::make_unique<FileSource>(PathFromUtf8(path));
    } else {
        impl->source = std::make_unique<MemorySource>(std::span<const unsigned char>{});
    }
    return IconFile(std::move(impl));
}

IconFile IconFile::FromBytes(std::span<const unsigned char> bytes) {
    auto impl = std::make_unique<Impl>();
    impl->source = std::make_unique<MemorySource>(bytes);
    return IconFile(std::move(impl));
}

Container IconFile::container() const {
    return impl_->container;
}

int IconFile::Count() const {
    return static_cast<int>(impl_->groups.size());
}

std::optional<std::vector<unsigned char>> IconFile::GroupAsIco(int index) {
    if (index < 0 || index >= Count()) {
        return std::nullopt;
    }
    auto ico = impl_->container == Container::Ico
                   ? impl_->IcoFileGroup()
                   : impl_->ModuleGroup(impl_->groups[static_cast<std::size_t>(index)]);
    if (!ico || ico->size() > impl_->imageBytesLeft) {
        return std::nullopt;
    }
    impl_->imageBytesLeft -= ico->size();
    return ico;
}

std::uint64_t IconFile::BytesRead() const {
    return impl_->source->BytesRead();
}

int IconCount(const std::string& path) {
    return IconFile::Open(path).Count();
}

std::optional<std::vector<unsigned char>> IconGroupAsIco(const std::string& path, int index) {
    return IconFile::Open(path).GroupAsIco(index);
}

int IconCount(std::span<const unsigned char> bytes) {
    return IconFile::FromBytes(bytes).Count();
}

std::optional<std::vector<unsigned char>> IconGroupAsIco(std::span<const unsigned char> bytes,
                                                         int index) {
    return IconFile::FromBytes(bytes).GroupAsIco(index);
}

} // namespace gemino::iconfile

// Icons of PE32 and PE32+ executables and libraries: the resource tree (type, name, language)
// of the section the resource data directory points into.
#include "core/iconfile/reader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_set>

namespace gemino::iconfile {

namespace {

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtGroupIcon = 14;
// In a directory entry: a name that is a string, or a target that is a directory.
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kLanguageNeutral = 0;
constexpr std::uint32_t kUsEnglish = 0x409;

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t extent = 0; // bytes both mapped and present in the file
    std::uint32_t fileOffset = 0;
};

struct DirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;
};

// One language of a resource, and the file offset of its data entry.
struct Leaf {
    std::uint32_t language = 0;
    std::uint64_t dataEntry = 0;
};

struct Resource {
    std::uint32_t name = 0;
    std::vector<Leaf> languages; // in directory order
};

// The language Windows takes for an English user: neutral, then U.S. English, then the first
// in directory order. `languages` is not empty.
const Leaf& preferredLanguage(const std::vector<Leaf>& languages) {
    for (const std::uint32_t wanted : {kLanguageNeutral, kUsEnglish}) {
        const auto found = std::find_if(languages.begin(), languages.end(),
                                        [wanted](const Leaf& l) { return l.language == wanted; });
        if (found != languages.end()) {
            return *found;
        }
    }
    return languages.front();
}

class PeContainer final : public Container {
public:
    PeContainer(Source& source, std::uint64_t header) : source_(source) { read(header); }

    int groupCount() const override { return static_cast<int>(groups_.size()); }
    std::vector<IconPiece> groupImages(int index) override;

private:
    // The section table and the icon groups; a module it cannot read has no group.
    void read(std::uint64_t header);

    std::optional<std::uint64_t> mapRva(std::uint32_t rva, std::uint32_t size) const;
    std::optional<std::vector<DirectoryEntry>> readDirectory(std::uint32_t offset);
    std::vector<Resource> walkType(std::uint32_t type);
    std::optional<std::pair<std::uint64_t, std::uint64_t>> resolveDataEntry(std::uint64_t entry);
    void loadIcons();

    Source& source_;
    std::vector<Section> sections_; // sorted by address
    // The resource tree, whose offsets count from `resourceBase_`.
    std::uint64_t resourceBase_ = 0;
    std::uint64_t resourceSize_ = 0;
    std::vector<DirectoryEntry> root_;
    std::unordered_set<std::uint32_t> visitedDirectories_;
    std::uint64_t directoryBytesLeft_ = 0;
    std::vector<std::uint64_t> groups_; // data entries
    // RT_ICON is walked when a group is first asked for.
    bool iconsLoaded_ = false;
    std::map<std::uint16_t, std::uint64_t> icons_; // data entries of the preferred languages
};

void PeContainer::read(std::uint64_t header) {
    std::array<unsigned char, 20> coff{};
    if (!source_.read(header + 4, coff.size(), coff.data())) {
        return;
    }
    const std::uint16_t sectionCount = le16(&coff[2]);
    const std::uint16_t optionalSize = le16(&coff[16]);
    const std::uint64_t optionalAt = header + 24;
    const auto optionalBytes = source_.readBytes(optionalAt, optionalSize);
    if (!optionalBytes || optionalBytes->size() < 2) {
        return;
    }
    const std::vector<unsigned char>& optional = *optionalBytes;
    std::size_t countAt = 0;
    switch (le16(&optional[0])) {
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
        le32(&optional[countAt]) <= kResourceDirectory) {
        return;
    }
    const std::uint32_t resourceRva = le32(&optional[directoriesAt + 8 * kResourceDirectory]);
    if (resourceRva == 0) {
        return;
    }

    const auto table = source_.readBytes(optionalAt + optionalSize, 40 * sectionCount);
    if (!table) {
        return;
    }
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const unsigned char* s = &(*table)[40 * i];
        const std::uint32_t virtualSize = le32(s + 8);
        const std::uint32_t rawSize = le32(s + 16);
        Section section;
        section.virtualAddress = le32(s + 12);
        section.fileOffset = le32(s + 20);
        section.extent = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        if (section.extent != 0) {
            sections_.push_back(section);
        }
    }
    std::sort(sections_.begin(), sections_.end(), [](const Section& a, const Section& b) {
        return a.virtualAddress < b.virtualAddress;
    });

    const auto base = mapRva(resourceRva, 16);
    if (!base) {
        return;
    }
    // The resource tree lives in the rest of the section that holds its root.
    const auto section = std::prev(std::upper_bound(
        sections_.begin(), sections_.end(), resourceRva,
        [](std::uint32_t rva, const Section& s) { return rva < s.virtualAddress; }));
    resourceBase_ = *base;
    resourceSize_ = std::min<std::uint64_t>(
        section->extent - (resourceRva - section->virtualAddress), source_.size() - resourceBase_);
    directoryBytesLeft_ = resourceSize_;

    auto root = readDirectory(0);
    if (!root) {
        return;
    }
    root_ = std::move(*root);
    for (const Resource& group : walkType(kRtGroupIcon)) {
        groups_.push_back(preferredLanguage(group.languages).dataEntry);
    }
}

std::optional<std::uint64_t> PeContainer::mapRva(std::uint32_t rva, std::uint32_t size) const {
    const auto after =
        std::upper_bound(sections_.begin(), sections_.end(), rva,
                         [](std::uint32_t r, const Section& s) { return r < s.virtualAddress; });
    if (after == sections_.begin()) {
        return std::nullopt;
    }
    const Section& s = *std::prev(after);
    const std::uint32_t within = rva - s.virtualAddress;
    if (within >= s.extent || size > s.extent - within) {
        return std::nullopt;
    }
    const std::uint64_t offset = std::uint64_t{s.fileOffset} + within;
    if (!source_.contains(offset, size)) {
        return std::nullopt;
    }
    return offset;
}

// Reads one directory of the resource tree, once: a directory met again means the tree loops
// or shares a branch, and the directories of a sound tree cannot together be larger than the
// resource section. Either way the walk goes on without it, and no walk can run on unboundedly.
std::optional<std::vector<DirectoryEntry>> PeContainer::readDirectory(std::uint32_t offset) {
    if (!visitedDirectories_.insert(offset).second || offset > resourceSize_ ||
        resourceSize_ - offset < 16) {
        return std::nullopt;
    }
    std::array<unsigned char, 16> head{};
    if (!source_.read(resourceBase_ + offset, head.size(), head.data())) {
        return std::nullopt;
    }
    const std::uint64_t count = std::uint64_t{le16(&head[12])} + le16(&head[14]);
    const std::uint64_t bytes = 16 + 8 * count;
    if (bytes > directoryBytesLeft_ || bytes > resourceSize_ - offset) {
        return std::nullopt;
    }
    directoryBytesLeft_ -= bytes;
    std::vector<unsigned char> raw(static_cast<std::size_t>(8 * count));
    if (!source_.read(resourceBase_ + offset + 16, raw.size(), raw.data())) {
        return std::nullopt;
    }
    std::vector<DirectoryEntry> entries(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i] = {le32(&raw[8 * i]), le32(&raw[8 * i + 4])};
    }
    return entries;
}

// The resources of one type that have at least one language. A branch that breaks the
// three levels (a resource that is not a directory of languages, a language that is a
// directory) or that cannot be read costs only itself: the rest of the tree is still walked.
std::vector<Resource> PeContainer::walkType(std::uint32_t type) {
    std::vector<Resource> resources;
    const auto found = std::find_if(root_.begin(), root_.end(),
                                    [type](const DirectoryEntry& e) { return e.name == type; });
    if (found == root_.end() || (found->target & kHighBit) == 0) {
        return resources;
    }
    const auto names = readDirectory(found->target & ~kHighBit);
    if (!names) {
        return resources;
    }
    for (const DirectoryEntry& name : *names) {
        const auto languages =
            (name.target & kHighBit) != 0 ? readDirectory(name.target & ~kHighBit) : std::nullopt;
        if (!languages) {
            continue;
        }
        Resource resource{name.name, {}};
        for (const DirectoryEntry& language : *languages) {
            if ((language.target & kHighBit) == 0) {
                resource.languages.push_back({language.name, resourceBase_ + language.target});
            }
        }
        if (!resource.languages.empty()) {
            resources.push_back(std::move(resource));
        }
    }
    return resources;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>>
PeContainer::resolveDataEntry(std::uint64_t entry) {
    std::array<unsigned char, 16> data{};
    if (entry > resourceBase_ + resourceSize_ ||
        resourceBase_ + resourceSize_ - entry < data.size() ||
        !source_.read(entry, data.size(), data.data())) {
        return std::nullopt;
    }
    const std::uint32_t size = le32(&data[4]);
    const auto offset = mapRva(le32(&data[0]), size);
    if (!offset || size == 0) {
        return std::nullopt;
    }
    return std::pair{*offset, std::uint64_t{size}};
}

void PeContainer::loadIcons() {
    std::map<std::uint16_t, std::vector<Leaf>> found;
    for (const Resource& resource : walkType(kRtIcon)) {
        // Group directories name images by number only.
        if (resource.name > 0xFFFF) {
            continue;
        }
        auto& languages = found[static_cast<std::uint16_t>(resource.name)];
        languages.insert(languages.end(), resource.languages.begin(), resource.languages.end());
    }
    for (const auto& [id, languages] : found) {
        icons_.emplace(id, preferredLanguage(languages).dataEntry);
    }
}

std::vector<IconPiece> PeContainer::groupImages(int index) {
    const auto directory = resolveDataEntry(groups_[static_cast<std::size_t>(index)]);
    if (!directory) {
        return {};
    }
    if (!iconsLoaded_) {
        iconsLoaded_ = true;
        loadIcons();
    }
    const auto locate =
        [this](std::uint16_t id) -> std::optional<std::pair<std::uint64_t, std::uint64_t>> {
        const auto found = icons_.find(id);
        if (found == icons_.end()) {
            return std::nullopt;
        }
        return resolveDataEntry(found->second);
    };
    return groupPieces(source_, directory->first, directory->second, locate);
}

} // namespace

std::unique_ptr<Container> openPe(Source& source, std::uint64_t header) {
    return std::make_unique<PeContainer>(source, header);
}

} // namespace gemino::iconfile

// Icons of 16-bit NE modules and icon libraries (.icl): one resource table of types, each with
// its resources' offsets and lengths stored shifted by the table's alignment.
#include "core/iconfile/reader.h"

#include <algorithm>

namespace gemino::iconfile {

namespace {

constexpr std::uint16_t kNeRtIcon = 0x8003;
constexpr std::uint16_t kNeRtGroupIcon = 0x800E;
// Resource offsets are stored shifted; real modules use 4 to 9. Beyond 24 no file fits.
constexpr unsigned kMaxShift = 24;

// A resource's file range.
struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

struct Icon {
    std::uint16_t id = 0;
    Extent extent;
};

class NeContainer final : public Container {
public:
    NeContainer(Source& source, std::uint64_t header) : source_(source) { read(header); }

    int groupCount() const override { return static_cast<int>(groups_.size()); }
    std::vector<IconPiece> groupImages(int index) override;

private:
    // The resource table; a module it cannot read has no group.
    void read(std::uint64_t header);

    Source& source_;
    std::vector<Extent> groups_; // in table order
    std::vector<Icon> icons_;    // sorted by id
};

void NeContainer::read(std::uint64_t header) {
    std::array<unsigned char, 64> ne{};
    if (!source_.read(header, ne.size(), ne.data())) {
        return;
    }
    const std::uint16_t tableOffset = le16(&ne[0x24]);
    if (tableOffset == le16(&ne[0x26])) {
        return; // no resource table
    }
    std::uint64_t at = header + tableOffset;
    std::array<unsigned char, 2> shiftBytes{};
    if (!source_.read(at, shiftBytes.size(), shiftBytes.data())) {
        return;
    }
    const unsigned shift = le16(shiftBytes.data());
    if (shift > kMaxShift) {
        return;
    }
    at += 2;
    std::vector<Extent> groups;
    std::vector<Icon> icons;
    for (;;) {
        std::array<unsigned char, 8> type{};
        if (!source_.read(at, 2, type.data())) {
            return;
        }
        const std::uint16_t typeId = le16(type.data());
        if (typeId == 0) {
            break;
        }
        if (!source_.read(at, type.size(), type.data())) {
            return;
        }
        const std::uint16_t count = le16(&type[2]);
        const auto names = source_.readBytes(at + 8, std::size_t{12} * count);
        if (!names) {
            return;
        }
        at += 8 + names->size();
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* n = &(*names)[12 * i];
            const Extent extent{std::uint64_t{le16(n)} << shift,
                                std::uint64_t{le16(n + 2)} << shift};
            const std::uint16_t id = le16(n + 6);
            if (typeId == kNeRtGroupIcon) {
                groups.push_back(extent);
            } else if (typeId == kNeRtIcon && (id & 0x8000) != 0) {
                icons.push_back({static_cast<std::uint16_t>(id & 0x7FFF), extent});
            }
        }
    }
    std::stable_sort(icons.begin(), icons.end(),
                     [](const Icon& a, const Icon& b) { return a.id < b.id; });
    groups_ = std::move(groups);
    icons_ = std::move(icons);
}

std::vector<IconPiece> NeContainer::groupImages(int index) {
    const Extent& group = groups_[static_cast<std::size_t>(index)];
    const auto locate =
        [this](std::uint16_t id) -> std::optional<std::pair<std::uint64_t, std::uint64_t>> {
        const auto found =
            std::lower_bound(icons_.begin(), icons_.end(), id,
                             [](const Icon& icon, std::uint16_t want) { return icon.id < want; });
        if (found == icons_.end() || found->id != id) {
            return std::nullopt;
        }
        return std::pair{found->extent.offset, found->extent.size};
    };
    return groupPieces(source_, group.offset, group.size, locate);
}

} // namespace

std::unique_ptr<Container> openNe(Source& source, std::uint64_t header) {
    return std::make_unique<NeContainer>(source, header);
}

} // namespace gemino::iconfile

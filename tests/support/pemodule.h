#pragma once

// Lays out a PE32 library that holds nothing but resources, the way a linker writes one: an MZ
// stub, the PE headers, and one section, .rsrc, that starts with the resource tree (type, name,
// language) and ends with the data. Tests change the tree afterwards to make it hostile.

#include "icoresources.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <vector>

namespace gemino::test {

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupIcon = 14;

struct PeResource {
    std::uint16_t type = 0;
    std::uint16_t id = 0;
    std::uint16_t language = 0;
    std::vector<unsigned char> data;
};

// The icon group `groupId` made of an .ico file: its images numbered from `firstIconId`, all in
// one language.
inline std::vector<PeResource> iconGroup(const std::vector<unsigned char>& ico,
                                         std::uint16_t groupId, std::uint16_t language,
                                         std::uint16_t firstIconId) {
    IconResources split = splitIco(ico, firstIconId);
    std::vector<PeResource> resources;
    for (std::size_t i = 0; i < split.images.size(); ++i) {
        resources.push_back({kRtIcon, static_cast<std::uint16_t>(firstIconId + i), language,
                             std::move(split.images[i])});
    }
    resources.push_back({kRtGroupIcon, groupId, language, std::move(split.directory)});
    return resources;
}

// Types and names sorted by number, as a linker sorts them; the languages of a name in the order
// they come in `resources`, so that tests can put any language first.
inline std::vector<unsigned char> buildPeModule(const std::vector<PeResource>& resources) {
    using Bytes = std::vector<unsigned char>;
    std::map<std::uint16_t, std::map<std::uint16_t, std::vector<const PeResource*>>> types;
    for (const PeResource& resource : resources) {
        types[resource.type][resource.id].push_back(&resource);
    }

    // The section, counted from its start at address 0x1000: directories of 16 bytes and 8
    // per entry (an id, then an offset with the high bit set for a directory), data entries of
    // 16 bytes (address, size, code page, reserved), then the data.
    constexpr std::size_t kSectionAddress = 0x1000;
    Bytes rsrc;
    const auto directory = [&](std::size_t count) {
        const std::size_t at = rsrc.size();
        rsrc.resize(at + 16 + 8 * count);
        writeLe(rsrc, at + 14, count, 2); // entries with an id
        return at;
    };
    const auto entry = [&](std::size_t dir, std::size_t i, std::size_t id, std::size_t target) {
        writeLe(rsrc, dir + 16 + 8 * i, id, 4);
        writeLe(rsrc, dir + 20 + 8 * i, target, 4);
    };
    std::vector<std::pair<std::size_t, const PeResource*>> dataEntries;
    const std::size_t root = directory(types.size());
    std::size_t t = 0;
    for (const auto& [type, names] : types) {
        const std::size_t nameDir = directory(names.size());
        entry(root, t++, type, 0x80000000u | nameDir);
        std::size_t n = 0;
        for (const auto& [id, languages] : names) {
            const std::size_t languageDir = directory(languages.size());
            entry(nameDir, n++, id, 0x80000000u | languageDir);
            for (std::size_t l = 0; l < languages.size(); ++l) {
                const std::size_t data = rsrc.size();
                rsrc.resize(data + 16);
                entry(languageDir, l, languages[l]->language, data);
                dataEntries.emplace_back(data, languages[l]);
            }
        }
    }
    for (const auto& [at, resource] : dataEntries) {
        const std::size_t data = (rsrc.size() + 7) / 8 * 8;
        rsrc.resize(data + resource->data.size());
        std::copy(resource->data.begin(), resource->data.end(), rsrc.begin() + long(data));
        writeLe(rsrc, at, kSectionAddress + data, 4);
        writeLe(rsrc, at + 4, resource->data.size(), 4);
    }

    constexpr std::size_t kFileAlignment = 0x200;
    const std::size_t rawSize =
        (rsrc.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    Bytes out(kFileAlignment + rawSize);
    constexpr std::size_t pe = 0x80;
    constexpr std::size_t optional = pe + 24;
    constexpr std::size_t optionalSize = 0xE0;
    constexpr std::size_t section = optional + optionalSize;
    std::copy_n("MZ", 2, out.begin());
    writeLe(out, 0x3C, pe, 4);
    std::copy_n("PE\0\0", 4, out.begin() + pe);
    writeLe(out, pe + 4, 0x14C, 2); // i386
    writeLe(out, pe + 6, 1, 2);     // one section
    writeLe(out, pe + 20, optionalSize, 2);
    writeLe(out, pe + 22, 0x2102, 2);               // a 32-bit library
    writeLe(out, optional, 0x10B, 2);               // PE32
    writeLe(out, optional + 32, 0x1000, 4);         // section alignment
    writeLe(out, optional + 36, kFileAlignment, 4); // file alignment
    writeLe(out, optional + 56, kSectionAddress + (rsrc.size() + 0xFFF) / 0x1000 * 0x1000, 4);
    writeLe(out, optional + 60, kFileAlignment, 4);          // size of headers
    writeLe(out, optional + 68, 2, 2);                       // Windows GUI
    writeLe(out, optional + 92, 16, 4);                      // data directories
    writeLe(out, optional + 96 + 8 * 2, kSectionAddress, 4); // resources
    writeLe(out, optional + 100 + 8 * 2, rsrc.size(), 4);
    std::copy_n(".rsrc", 5, out.begin() + section);
    writeLe(out, section + 8, rsrc.size(), 4);
    writeLe(out, section + 12, kSectionAddress, 4);
    writeLe(out, section + 16, rawSize, 4);
    writeLe(out, section + 20, kFileAlignment, 4);
    writeLe(out, section + 36, 0x40000040, 4); // initialised data, readable
    std::copy(rsrc.begin(), rsrc.end(), out.begin() + long(kFileAlignment));
    return out;
}

// The file offset of the resource directory a walk down the tree of a PE module leads to:
// entry path[0] of the root, then entry path[1] of the directory that leads to, and so on.
// The tree starts at its .rsrc section, as linkers write it.
inline std::size_t resourceDirectory(const std::vector<unsigned char>& pe,
                                     std::initializer_list<std::size_t> path) {
    const std::size_t header = readLe(pe, 0x3C);
    std::size_t section = header + 24 + readLe(pe, header + 20, 2);
    while (std::memcmp(&pe.at(section), ".rsrc", 6) != 0) {
        section += 40;
    }
    const std::size_t root = readLe(pe, section + 20);
    std::size_t at = root;
    for (std::size_t i : path) {
        at = root + (readLe(pe, at + 16 + 8 * i + 4) & 0x7FFFFFFF);
    }
    return at;
}

// Makes entry `i` of the directory at `from` lead to the directory at `to`, both given as paths
// for `resourceDirectory`.
inline void linkEntry(std::vector<unsigned char>& pe, std::initializer_list<std::size_t> from,
                      std::size_t i, std::initializer_list<std::size_t> to) {
    const std::size_t root = resourceDirectory(pe, {});
    writeLe(pe, resourceDirectory(pe, from) + 20 + 8 * i,
            0x80000000u | (resourceDirectory(pe, to) - root), 4);
}

} // namespace gemino::test

#pragma once

// Lays out a 16-bit NE module that holds icon groups, the way icon library editors write
// .icl files: an MZ stub, the NE header, a resource table whose offsets and lengths are
// stored shifted, a resident name table, then the resources aligned to the shift.
// Groups come from .ico files made by icotool, so only the container is ours.

#include "icoresources.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gemino::test {

struct NeGroup {
    std::string name; // empty: the group is known by `id`
    std::uint16_t id = 0;
    std::vector<unsigned char> ico;
};

inline std::vector<unsigned char> buildNeModule(const std::vector<NeGroup>& groups,
                                                unsigned shift) {
    using Bytes = std::vector<unsigned char>;

    // Every .ico becomes its images (RT_ICON, numbered from 1 across the module) and a group
    // directory (RT_GROUP_ICON) whose 14-byte entries name those numbers. A resource's name
    // word is 0x8000 | its number, or where its name is in `names`, each after its length.
    std::vector<std::pair<Bytes, std::size_t>> icons;
    std::vector<std::pair<Bytes, std::size_t>> directories;
    std::string names;
    for (const NeGroup& group : groups) {
        IconResources split = splitIco(group.ico, icons.size() + 1);
        for (Bytes& image : split.images) {
            icons.emplace_back(std::move(image), 0x8000 | (icons.size() + 1));
        }
        const bool numbered = group.name.empty();
        directories.emplace_back(std::move(split.directory),
                                 numbered ? 0x8000 | group.id : names.size());
        names += numbered ? "" : static_cast<char>(group.name.size()) + group.name;
    }

    // The resource table: the shift, two types of 8 bytes with 12 per resource, the end of
    // types, the names and their end. Then the resident names and an empty entry table.
    constexpr std::size_t ne = 0x40;
    constexpr std::size_t table = ne + 0x40;
    const std::size_t namesAt = 2 + 8 + 12 * icons.size() + 8 + 12 * directories.size() + 2;
    const std::string tail = names + '\0' + "\x05ICONS"; // the names, their end, resident names
    const std::size_t resident = table + namesAt + names.size() + 1;
    const std::size_t entries = table + namesAt + tail.size() + 3; // ordinal and end
    const std::size_t align = std::size_t{1} << shift;
    const auto aligned = [align](std::size_t n) { return (n + align - 1) / align * align; };
    Bytes out(aligned(entries + 1));
    std::copy_n("MZ", 2, out.begin());
    writeLe(out, 0x18, 0x40, 2); // relocation table offset: a new-style executable
    writeLe(out, 0x3C, ne, 2);
    std::copy_n("NE", 2, out.begin() + ne);
    out[ne + 2] = 5;                           // linker version
    writeLe(out, ne + 0x04, entries - ne, 2);  // entry table
    writeLe(out, ne + 0x0C, 0x8000, 2);        // library module
    writeLe(out, ne + 0x22, table - ne, 2);    // segment table (no segments)
    writeLe(out, ne + 0x24, table - ne, 2);    // resource table
    writeLe(out, ne + 0x26, resident - ne, 2); // resident name table
    writeLe(out, ne + 0x28, entries - ne, 2);  // module references (none)
    writeLe(out, ne + 0x2A, entries - ne, 2);  // imported names (none)
    writeLe(out, ne + 0x32, shift, 2);
    out[ne + 0x36] = 2;                 // Windows
    writeLe(out, ne + 0x3E, 0x030A, 2); // Windows 3.10

    writeLe(out, table, shift, 2);
    std::size_t t = table + 2;
    for (const auto& [type, list] : {std::pair{0x8003, &icons}, std::pair{0x800E, &directories}}) {
        writeLe(out, t, type, 2);
        writeLe(out, t + 2, list->size(), 2);
        t += 8;
        for (const auto& [data, name] : *list) {
            // Offsets are 16 bits after the shift: a module stays below 64 kB << shift.
            const std::size_t offset = out.size();
            out.resize(offset + aligned(data.size()));
            std::copy(data.begin(), data.end(), out.begin() + long(offset));
            writeLe(out, t, offset >> shift, 2);
            writeLe(out, t + 2, aligned(data.size()) >> shift, 2);
            writeLe(out, t + 4, 0x1030, 2); // moveable, pure, discardable
            writeLe(out, t + 6, name >= 0x8000 ? name : namesAt + name, 2);
            t += 12;
        }
    }
    std::copy(tail.begin(), tail.end(), out.begin() + long(table + namesAt));
    return out;
}

} // namespace gemino::test

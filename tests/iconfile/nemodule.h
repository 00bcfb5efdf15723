#pragma once

// Lays out a 16-bit NE module that holds icon groups, the way icon library editors write
// .icl files: an MZ stub, the NE header, a resource table whose offsets and lengths are
// stored shifted, a resident name table, then the resources aligned to the shift.
// Groups come from .ico files made by icotool, so only the container is ours.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace gemino::test {

struct NeGroup {
    std::string name; // empty: the group is known by `id`
    std::uint16_t id = 0;
    std::vector<unsigned char> ico;
};

inline std::vector<unsigned char> BuildNeModule(const std::vector<NeGroup>& groups,
                                                unsigned shift) {
    using Bytes = std::vector<unsigned char>;
    const auto put16 = [](Bytes& out, std::size_t at, std::size_t v) {
        out.at(at) = static_cast<unsigned char>(v);
        out.at(at + 1) = static_cast<unsigned char>(v >> 8);
    };
    const auto get32 = [](const Bytes& in, std::size_t at) {
        return std::size_t{in.at(at)} | std::size_t{in.at(at + 1)} << 8 |
               std::size_t{in.at(at + 2)} << 16 | std::size_t{in.at(at + 3)} << 24;
    };

    // Every .ico becomes its images (RT_ICON, numbered from 1 across the module) and a group
    // directory (RT_GROUP_ICON) whose 14-byte entries name those numbers.
    std::vector<Bytes> icons;
    std::vector<std::size_t> iconNames;
    std::vector<Bytes> directories;
    std::vector<std::size_t> directoryNames; // 0x8000 | id, or where the name is in `names`
    std::string names;                       // each name after its length
    for (const NeGroup& group : groups) {
        const std::size_t count = get32(group.ico, 4) & 0xFFFF;
        Bytes directory(6 + 14 * count);
        put16(directory, 2, 1);
        put16(directory, 4, count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = 6 + 16 * i;
            const std::size_t size = get32(group.ico, entry + 8);
            const std::size_t offset = get32(group.ico, entry + 12);
            if (offset + size > group.ico.size()) {
                throw std::runtime_error("icon image outside its file");
            }
            icons.emplace_back(group.ico.begin() + long(offset),
                               group.ico.begin() + long(offset + size));
            iconNames.push_back(0x8000 | icons.size());
            std::copy_n(group.ico.begin() + long(entry), 12, directory.begin() + long(6 + 14 * i));
            put16(directory, 6 + 14 * i + 12, icons.size());
        }
        directories.push_back(std::move(directory));
        directoryNames.push_back(group.name.empty() ? 0x8000 | group.id : names.size());
        if (!group.name.empty()) {
            names += static_cast<char>(group.name.size()) + group.name;
        }
    }

    // The resource table: the shift, two types of 8 bytes with 12 per resource, the end of
    // types, the names and their end. Then the resident names and an empty entry table.
    constexpr std::size_t ne = 0x40;
    constexpr std::size_t table = ne + 0x40;
    const std::size_t namesAt = 2 + 8 + 12 * icons.size() + 8 + 12 * directories.size() + 2;
    const std::size_t resident = table + namesAt + names.size() + 1;
    const std::string moduleName = "\x05ICONS";
    const std::size_t entries = resident + moduleName.size() + 3; // ordinal and end
    const std::size_t align = std::size_t{1} << shift;
    const auto aligned = [align](std::size_t n) { return (n + align - 1) / align * align; };
    Bytes out(aligned(entries + 1));
    out[0] = 'M';
    out[1] = 'Z';
    put16(out, 0x18, 0x40); // relocation table offset: a new-style executable
    put16(out, 0x3C, ne);
    out[ne] = 'N';
    out[ne + 1] = 'E';
    out[ne + 2] = 5;                      // linker version
    put16(out, ne + 0x04, entries - ne);  // entry table
    put16(out, ne + 0x0C, 0x8000);        // library module
    put16(out, ne + 0x22, table - ne);    // segment table (no segments)
    put16(out, ne + 0x24, table - ne);    // resource table
    put16(out, ne + 0x26, resident - ne); // resident name table
    put16(out, ne + 0x28, entries - ne);  // module references (none)
    put16(out, ne + 0x2A, entries - ne);  // imported names (none)
    put16(out, ne + 0x32, shift);
    out[ne + 0x36] = 2;            // Windows
    put16(out, ne + 0x3E, 0x030A); // Windows 3.10

    std::size_t t = table;
    put16(out, t, shift);
    t += 2;
    const auto writeType = [&](std::size_t type, const std::vector<Bytes>& list,
                               const std::vector<std::size_t>& nameWords) {
        put16(out, t, type);
        put16(out, t + 2, list.size());
        t += 8;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::size_t offset = out.size();
            if ((offset >> shift) > 0xFFFF) {
                throw std::runtime_error("module too large for its alignment shift");
            }
            out.resize(offset + aligned(list[i].size()));
            std::copy(list[i].begin(), list[i].end(), out.begin() + long(offset));
            put16(out, t, offset >> shift);
            put16(out, t + 2, aligned(list[i].size()) >> shift);
            put16(out, t + 4, 0x1030); // moveable, pure, discardable
            put16(out, t + 6, nameWords[i] >= 0x8000 ? nameWords[i] : namesAt + nameWords[i]);
            t += 12;
        }
    };
    writeType(0x8003, icons, iconNames);
    writeType(0x800E, directories, directoryNames);
    std::copy(names.begin(), names.end(), out.begin() + long(table + namesAt));
    std::copy(moduleName.begin(), moduleName.end(), out.begin() + long(resident));
    return out;
}

} // namespace gemino::test

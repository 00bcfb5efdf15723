#pragma once

// Lays out a 16-bit NE module that holds icon groups, the way icon library editors write
// .icl files: an MZ stub, the NE header, a resource table whose offsets and lengths are
// stored shifted, a resident name table, then the resources aligned to the shift.
// Groups come from .ico files made by icotool, so only the container is ours.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace gemino::test {

struct NeGroup {
    std::string name; // empty: the group is known by `id`
    std::uint16_t id = 0;
    std::vector<unsigned char> ico;
};

namespace ne_detail {

inline void Put16(std::vector<unsigned char>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<unsigned char>(v);
    out[at + 1] = static_cast<unsigned char>(v >> 8);
}

inline std::uint32_t Get16(const std::vector<unsigned char>& in, std::size_t at) {
    return in.at(at) | (in.at(at + 1) << 8);
}

inline std::uint32_t Get32(const std::vector<unsigned char>& in, std::size_t at) {
    return Get16(in, at) | (Get16(in, at + 2) << 16);
}

struct Resource {
    std::uint16_t nameWord = 0; // 0x8000 | id, or the offset of the name in the table
    std::vector<unsigned char> bytes;
    std::size_t offset = 0; // in the file, a multiple of the alignment
};

} // namespace ne_detail

inline std::vector<unsigned char> BuildNeModule(const std::vector<NeGroup>& groups,
                                                unsigned shift) {
    using namespace ne_detail;
    const std::size_t align = std::size_t{1} << shift;

    // Split every .ico into its images (RT_ICON, numbered from 1 in order) and a group
    // directory (RT_GROUP_ICON) whose entries name those numbers.
    std::vector<Resource> icons;
    std::vector<Resource> directories;
    std::vector<std::string> names;
    for (const NeGroup& group : groups) {
        const std::vector<unsigned char>& ico = group.ico;
        const std::uint32_t count = Get16(ico, 4);
        std::vector<unsigned char> directory(6 + 14 * count);
        Put16(directory, 2, 1);
        Put16(directory, 4, count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t entry = 6 + 16 * i;
            const std::uint32_t size = Get32(ico, entry + 8);
            const std::uint32_t offset = Get32(ico, entry + 12);
            if (offset + size > ico.size()) {
                throw std::runtime_error("icon image outside its file");
            }
            Resource icon;
            icon.nameWord = static_cast<std::uint16_t>(0x8000 | (icons.size() + 1));
            icon.bytes.assign(ico.begin() + offset, ico.begin() + offset + size);
            std::memcpy(&directory[6 + 14 * i], &ico[entry], 12);
            Put16(directory, 6 + 14 * i + 12, icons.size() + 1);
            icons.push_back(std::move(icon));
        }
        Resource dir;
        dir.bytes = std::move(directory);
        dir.nameWord = static_cast<std::uint16_t>(0x8000 | group.id);
        if (!group.name.empty()) {
            dir.nameWord = 0; // patched below, once the table's size is known
            names.push_back(group.name);
        }
        directories.push_back(std::move(dir));
    }

    constexpr std::size_t kNeHeader = 0x40;
    constexpr std::size_t kHeaderSize = 64;
    const std::size_t tableAt = kNeHeader + kHeaderSize;
    // shift, two TYPEINFO records with their NAMEINFO records, the terminating zero, names
    std::size_t tableSize = 2 + 8 + 12 * icons.size() + 8 + 12 * directories.size() + 2;
    const std::size_t namesAt = tableSize;
    for (const std::string& name : names) {
        tableSize += 1 + name.size();
    }
    tableSize += 1;
    const std::string moduleName = "ICONS";
    const std::size_t residentAt = tableAt + tableSize;
    const std::size_t residentSize = 1 + moduleName.size() + 2 + 1;
    const std::size_t afterTables = residentAt + residentSize + 1; // + empty entry table

    std::size_t at = (afterTables + align - 1) / align * align;
    for (auto* list : {&icons, &directories}) {
        for (Resource& resource : *list) {
            resource.offset = at;
            at += (resource.bytes.size() + align - 1) / align * align;
        }
    }
    std::vector<unsigned char> out(at);
    out[0] = 'M';
    out[1] = 'Z';
    Put16(out, 0x18, 0x40); // relocation table offset: a new-style executable
    Put16(out, 0x3C, kNeHeader);

    const std::size_t ne = kNeHeader;
    out[ne] = 'N';
    out[ne + 1] = 'E';
    out[ne + 2] = 5;                                       // linker version
    Put16(out, ne + 0x04, afterTables - 1 - ne);           // entry table (empty)
    Put16(out, ne + 0x0C, 0x8000);                         // library module
    Put16(out, ne + 0x22, tableAt - ne);                   // segment table (no segments)
    Put16(out, ne + 0x24, tableAt - ne);                   // resource table
    Put16(out, ne + 0x26, residentAt - ne);                // resident name table
    Put16(out, ne + 0x28, residentAt + residentSize - ne); // module references (none)
    Put16(out, ne + 0x2A, residentAt + residentSize - ne); // imported names (none)
    Put16(out, ne + 0x32, shift);
    out[ne + 0x36] = 2;            // Windows
    Put16(out, ne + 0x3E, 0x030A); // Windows 3.10

    std::size_t t = tableAt;
    Put16(out, t, shift);
    t += 2;
    std::size_t nameOffset = namesAt;
    std::size_t nameIndex = 0;
    const auto writeType = [&](std::uint16_t type, std::vector<Resource>& list, bool groupsList) {
        Put16(out, t, type);
        Put16(out, t + 2, list.size());
        t += 8;
        for (Resource& resource : list) {
            if (groupsList && resource.nameWord == 0) {
                resource.nameWord = static_cast<std::uint16_t>(nameOffset);
                nameOffset += 1 + names[nameIndex++].size();
            }
            if ((resource.offset >> shift) > 0xFFFF) {
                throw std::runtime_error("module too large for its alignment shift");
            }
            Put16(out, t, resource.offset >> shift);
            Put16(out, t + 2, (resource.bytes.size() + align - 1) >> shift);
            Put16(out, t + 4, 0x1030); // moveable, pure, discardable
            Put16(out, t + 6, resource.nameWord);
            t += 12;
            std::memcpy(&out[resource.offset], resource.bytes.data(), resource.bytes.size());
        }
    };
    writeType(0x8003, icons, false);
    writeType(0x800E, directories, true);
    t += 2; // end of types
    for (const std::string& name : names) {
        out[t++] = static_cast<unsigned char>(name.size());
        std::memcpy(&out[t], name.data(), name.size());
        t += name.size();
    }
    out[residentAt] = static_cast<unsigned char>(moduleName.size());
    std::memcpy(&out[residentAt + 1], moduleName.data(), moduleName.size());
    return out;
}

} // namespace gemino::test

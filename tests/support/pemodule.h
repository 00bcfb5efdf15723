#pragma once

// The resource tree of PE modules, for tests that change it to make it hostile.

#include "icoresources.h"

#include <cstring>
#include <initializer_list>
#include <vector>

namespace gemino::test {

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

// Where entry `i` of the directory at `directory` keeps its target; the high bit makes the
// target a directory.
inline std::size_t entryTarget(std::size_t directory, std::size_t i) {
    return directory + 20 + 8 * i;
}

} // namespace gemino::test

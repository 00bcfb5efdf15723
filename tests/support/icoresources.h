#pragma once

// Little-endian fields, and icon files split into the resources a module stores them as; the
// NE module builder (nemodule.h) and the icon reader's tests share them.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace gemino::test {

// A field of n bytes, as every header of these containers stores them.
inline std::uint32_t readLe(const std::vector<unsigned char>& in, std::size_t at, int n = 4) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) {
        v = v << 8 | in.at(at + std::size_t(i));
    }
    return v;
}

inline void writeLe(std::vector<unsigned char>& out, std::size_t at, std::size_t v, int n) {
    for (int i = 0; i < n; ++i) {
        out.at(at + std::size_t(i)) = static_cast<unsigned char>(v >> (8 * i));
    }
}

// An icon file as a module holds it: each image a resource of its own (RT_ICON), numbered
// from `firstId`, and a group directory (RT_GROUP_ICON) whose 14-byte entries are the file's
// directory entries with the image's number in place of its offset.
struct IconResources {
    std::vector<unsigned char> directory;
    std::vector<std::vector<unsigned char>> images;
};

inline IconResources splitIco(const std::vector<unsigned char>& ico, std::size_t firstId) {
    const std::size_t count = readLe(ico, 4, 2);
    IconResources split;
    split.directory.resize(6 + 14 * count);
    std::copy_n(ico.begin(), 6, split.directory.begin()); // reserved, type 1, count
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::size_t size = readLe(ico, entry + 8);
        const std::size_t offset = readLe(ico, entry + 12);
        if (offset + size > ico.size()) {
            throw std::runtime_error("icon image outside its file");
        }
        const auto image = ico.begin() + long(offset);
        split.images.emplace_back(image, image + long(size));
        std::copy_n(ico.begin() + long(entry), 12, split.directory.begin() + long(6 + 14 * i));
        writeLe(split.directory, 6 + 14 * i + 12, firstId + i, 2);
    }
    return split;
}

} // namespace gemino::test

#include "core/iconfile/reader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace gemino::iconfile {

namespace {

std::filesystem::path pathFromUtf8(const std::string& path) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

class MemorySource final : public Source {
public:
    explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {
        size_ = bytes.size();
    }

private:
    bool doRead(std::uint64_t offset, std::size_t n, unsigned char* out) override {
        std::memcpy(out, bytes_.data() + offset, n);
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

    bool readRaw(std::uint64_t offset, std::size_t n, unsigned char* out) {
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
        return stream_.gcount() == static_cast<std::streamsize>(n);
    }

    const Block* fetch(std::uint64_t index) {
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
        if (!readRaw(start, n, victim->bytes.data())) {
            return nullptr;
        }
        victim->index = index;
        victim->lastUse = clock_;
        return victim;
    }

    bool doRead(std::uint64_t offset, std::size_t n, unsigned char* out) override {
        if (n >= kBlockSize) {
            return readRaw(offset, n, out);
        }
        while (n > 0) {
            const Block* block = fetch(offset / kBlockSize);
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

} // namespace

bool Source::read(std::uint64_t offset, std::size_t n, unsigned char* out) {
    if (!contains(offset, n)) {
        return false;
    }
    return n == 0 || doRead(offset, n, out);
}

std::optional<std::vector<unsigned char>> Source::readBytes(std::uint64_t offset, std::uint64_t n) {
    if (!contains(offset, n)) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(n));
    if (!read(offset, bytes.size(), bytes.data())) {
        return std::nullopt;
    }
    return bytes;
}

std::unique_ptr<Source> memorySource(std::span<const unsigned char> bytes) {
    return std::make_unique<MemorySource>(bytes);
}

std::unique_ptr<Source> fileSource(const std::string& path) {
    if (!isRegularFile(path)) {
        return memorySource({});
    }
    return std::make_unique<FileSource>(pathFromUtf8(path));
}

bool isRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(pathFromUtf8(path), error);
}

} // namespace gemino::iconfile

#include "core/iconfile/iconfile.h"

#include "core/iconfile/reader.h"

#include <cstring>

namespace gemino::iconfile {

namespace {

// An MZ stub leads to a PE or NE module; anything else may be an icon file.
std::unique_ptr<Container> openContainer(Source& source) {
    std::array<unsigned char, 64> mz{};
    if (!source.read(0, mz.size(), mz.data()) || mz[0] != 'M' || mz[1] != 'Z') {
        return openIco(source);
    }
    const std::uint64_t header = le32(&mz[0x3C]);
    std::array<unsigned char, 4> signature{};
    if (!source.read(header, signature.size(), signature.data())) {
        return nullptr;
    }
    if (std::memcmp(signature.data(), "PE\0\0", 4) == 0) {
        return openPe(source, header);
    }
    if (signature[0] == 'N' && signature[1] == 'E') {
        return openNe(source, header);
    }
    return nullptr;
}

} // namespace

struct IconFile::Impl {
    explicit Impl(std::unique_ptr<Source> from)
        : source(std::move(from)), container(openContainer(*source)),
          imageBytesLeft(4 * source->size() + 65536) {}

    std::unique_ptr<Source> source;
    std::unique_ptr<Container> container; // null when the source holds no container of icons
    // Image bytes handed out so far may reach a few times the file's size: groups of a real
    // module share few images, so calling every group stays linear in the file.
    std::uint64_t imageBytesLeft = 0;
};

IconFile::IconFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

IconFile::IconFile(IconFile&&) noexcept = default;
IconFile& IconFile::operator=(IconFile&&) noexcept = default;
IconFile::~IconFile() = default;

IconFile IconFile::open(const std::string& path) {
    return IconFile(std::make_unique<Impl>(fileSource(path)));
}

IconFile IconFile::fromBytes(std::span<const unsigned char> bytes) {
    return IconFile(std::make_unique<Impl>(memorySource(bytes)));
}

int IconFile::iconCount() const {
    return impl_->container ? impl_->container->groupCount() : 0;
}

std::optional<std::vector<unsigned char>> IconFile::groupAsIco(int index) {
    if (index < 0 || index >= iconCount()) {
        return std::nullopt;
    }
    auto ico = buildIco(*impl_->source, impl_->container->groupImages(index));
    if (!ico || ico->size() > impl_->imageBytesLeft) {
        return std::nullopt;
    }
    impl_->imageBytesLeft -= ico->size();
    return ico;
}

int iconCount(const std::string& path) {
    return IconFile::open(path).iconCount();
}

std::optional<std::vector<unsigned char>> groupAsIco(const std::string& path, int index) {
    return IconFile::open(path).groupAsIco(index);
}

int iconCount(std::span<const unsigned char> bytes) {
    return IconFile::fromBytes(bytes).iconCount();
}

} // namespace gemino::iconfile

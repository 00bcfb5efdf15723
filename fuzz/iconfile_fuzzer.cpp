// Feeds arbitrary bytes to the icon container reader as a file would, then to the image
// decoding that every group handed out goes on to, and checks the promises the reader makes
// about what it hands out.
#include "core/iconfile/iconfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void decodeAll(std::span<const unsigned char> ico) {
    for (const auto& image : gemino::iconfile::icoImages(ico)) {
        require(image.info.width >= 1 && image.info.width <= gemino::iconfile::kMaxImageSide);
        require(image.info.height >= 1 && image.info.height <= gemino::iconfile::kMaxImageSide);
        if (!image.info.png) {
            std::vector<std::uint32_t> pixels(std::size_t(image.info.width) *
                                              std::size_t(image.info.height));
            require(gemino::iconfile::decodeDib(image.data, pixels.data(),
                                                std::size_t(image.info.width)));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const unsigned char> bytes(data, size);
    auto file = gemino::iconfile::IconFile::fromBytes(bytes);
    const int count = file.iconCount();
    require(count >= 0);
    require(gemino::iconfile::iconCount(bytes) == count);
    // Counts are bounded by the data that holds them: an ICONDIR or group entry needs bytes.
    require(static_cast<std::size_t>(count) <= size / 6 + 1);
    for (int i = -1; i <= std::min(count, 64); ++i) {
        const auto ico = file.groupAsIco(i);
        if (i < 0 || i >= count) {
            require(!ico);
            continue;
        }
        if (!ico) {
            continue;
        }
        // A rebuilt group is a sound ICO stream: every image it lists survives re-reading.
        const auto images = gemino::iconfile::icoImages(*ico);
        require(!images.empty());
        require(ico->size() <= 6 + 16 * images.size() + size);
        decodeAll(*ico);
    }
    // The raw bytes as an ICO stream, as the decoder would meet a stream handed to it directly.
    decodeAll(bytes);
    return 0;
}

// Feeds arbitrary bytes to the picture header checks, everything that runs before a decoder
// is given a file, and checks the promises they make: a header that passes describes a
// picture within the bounds, and the walk over a JPEG's scans ends.
#include "core/imagesets/pictureheader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gemino::SpanPictureBytes bytes(std::span<const unsigned char>(data, size));
    const gemino::PictureCheck quick =
        gemino::checkPicture(bytes, gemino::PictureCheckDepth::Header);
    const gemino::PictureCheck full = gemino::checkPicture(bytes, gemino::PictureCheckDepth::Full);
    require(quick.header.has_value() == full.header.has_value());
    // The walk over the scans may only refuse more.
    require(quick.accepted() || !full.accepted());
    if (!full.header) {
        require(full.refusal == gemino::PictureRefusal::NotAPicture);
        return 0;
    }
    const gemino::PictureHeader& header = *full.header;
    require(header.fileBytes == size);
    const bool vector =
        header.format == gemino::PictureFormat::Svg || header.format == gemino::PictureFormat::Svgz;
    require(vector == (header.width == 0));
    require(vector || header.height > 0);
    if (full.accepted() && !vector) {
        require(header.width <= gemino::kMaxPictureSide &&
                header.height <= gemino::kMaxPictureSide);
        require(std::uint64_t{header.width} * header.height <= gemino::kMaxPicturePixels);
        require(header.decodeCost <= gemino::kMaxDecodeBytes);
        // Every decoder fills at least an eighth of the picture on each side.
        require(header.decodeCost >= std::uint64_t{header.width / 8} * (header.height / 8));
    }
    if (header.progressive) {
        require(header.format == gemino::PictureFormat::Jpeg && header.firstScan >= 2);
        gemino::jpegBlockVisits(bytes, header);
    }
    return 0;
}

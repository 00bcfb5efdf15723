// Feeds arbitrary bytes to the image set reader, and what it reads back through the writer:
// nothing may crash, and a set that was written must read back as it was.
#include "core/imagesets/imsformat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const gemino::ImsReadResult read = gemino::readImageSet(bytes);
    const auto encoded = gemino::encodeImageSet(read.entries);
    if (!encoded) {
        return 0;
    }
    const gemino::ImsReadResult again = gemino::readImageSet(*encoded);
    if (!again.ok() || again.entries.size() != read.entries.size()) {
        std::abort();
    }
    return 0;
}

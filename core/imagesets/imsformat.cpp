#include "core/imagesets/imsformat.h"

#include "core/paths/pathutil.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <random>
#include <sstream>
#include <streambuf>
#include <system_error>

namespace fs = std::filesystem;

namespace gemino {

namespace {

// A count promises this many entries before any is read; the rest are paid for as they arrive.
constexpr std::size_t kReservedEntries = 64;
constexpr std::size_t kSaveChunk = 4096;

// Windows-1252 0x80 to 0x9F. The five unassigned bytes map to the C1 controls of the same
// value, as Windows itself converts them.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char32_t{b});
    }
    return out;
}

bool isNoText(std::string_view text) {
    return std::equal(text.begin(), text.end(), kImsNoText.begin(), kImsNoText.end(),
                      [](char a, char b) {
                          const auto fold = [](char c) {
                              return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
                          };
                          return fold(a) == fold(b);
                      });
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool readInt32(std::streambuf& in, std::int32_t& value) {
    std::array<unsigned char, 4> b{};
    if (in.sgetn(reinterpret_cast<char*>(b.data()), 4) != 4) {
        return false;
    }
    const std::uint32_t u = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                            std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    value = static_cast<std::int32_t>(u);
    return true;
}

void appendInt32(std::string& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((u >> shift) & 0xFF);
    }
}

enum class LineRead { Ok, End, TooLong };

// A line runs to its line feed or, for the last line of a file, to the end of the data.
LineRead readLine(std::streambuf& in, std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        const auto c = in.sbumpc();
        if (std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof())) {
            return any ? LineRead::Ok : LineRead::End;
        }
        any = true;
        const char ch = std::char_traits<char>::to_char_type(c);
        if (ch == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return LineRead::Ok;
        }
        if (line.size() >= kImsMaxLineBytes) {
            return LineRead::TooLong;
        }
        line += ch;
    }
}

std::string lastSystemError() {
    const int error = errno;
    return error == 0 ? std::string() : std::generic_category().message(error);
}

// A name beside the target that no one else uses; hidden, so dialogs do not offer it.
std::optional<fs::path> temporaryBeside(const fs::path& target) {
    std::random_device device;
    std::uniform_int_distribution<std::uint32_t> digits;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(digits(device)));
        fs::path name(".");
        name += target.filename();
        name += "." + std::string(suffix) + ".tmp";
        fs::path candidate = target;
        candidate.replace_filename(name);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) {
            return candidate;
        }
    }
    return std::nullopt;
}

// Removes the temporary file unless the save went through.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!kept_) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const fs::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    fs::path path_;
    bool kept_ = false;
};

} // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            c = b & 0x1F;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            c = b & 0x0F;
            least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            c = b & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string decodeImsLine(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}

ImsReadResult readImageSet(std::istream& in) {
    ImsReadResult result;
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !readInt32(*buffer, result.announced)) {
        result.status = ImsReadStatus::NoCount;
        return result;
    }
    result.implausibleCount = result.announced < 0;
    if (result.announced > 0) {
        // Measured on a stream that can seek; others cannot tell.
        using Traits = std::char_traits<char>;
        const auto here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
        const auto end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
        if (here != Traits::pos_type(Traits::off_type(-1)) &&
            end != Traits::pos_type(Traits::off_type(-1)) &&
            buffer->pubseekpos(here, std::ios::in) == here) {
            const auto remaining = static_cast<std::uint64_t>(end - here);
            result.implausibleCount =
                static_cast<std::uint64_t>(result.announced) * kImsLeastEntryBytes > remaining;
        }
    }
    if (result.announced <= 0) {
        return result;
    }
    result.entries.reserve(std::min(static_cast<std::size_t>(result.announced), kReservedEntries));
    std::string line;
    for (std::int32_t i = 0; i < result.announced; ++i) {
        ImsEntry entry;
        if (!readInt32(*buffer, entry.iconIndex)) {
            result.status = ImsReadStatus::Truncated;
            return result;
        }
        for (std::string* field : {&entry.sourcePath, &entry.imageText}) {
            switch (readLine(*buffer, line)) {
            case LineRead::End:
                result.status = ImsReadStatus::Truncated;
                return result;
            case LineRead::TooLong:
                result.status = ImsReadStatus::LineTooLong;
                return result;
            case LineRead::Ok:
                *field = decodeImsLine(line);
                break;
            }
        }
        if (isNoText(entry.imageText)) {
            entry.imageText.clear();
        }
        result.entries.push_back(std::move(entry));
    }
    return result;
}

ImsReadResult readImageSet(std::string_view bytes) {
    std::istringstream in{std::string(bytes)};
    return readImageSet(in);
}

ImsReadResult readImageSetFile(const std::string& path) {
    const fs::path file = pathutil::toFsPath(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    // The system would read a name with a NUL as the shorter name before it.
    if (path.find('\0') != std::string::npos || !fs::exists(status)) {
        ImsReadResult result;
        result.status = ImsReadStatus::CannotOpen;
        return result;
    }
    if (!fs::is_regular_file(status)) {
        ImsReadResult result;
        result.status = ImsReadStatus::NotAFile;
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        ImsReadResult result;
        result.status = ImsReadStatus::CannotOpen;
        return result;
    }
    return readImageSet(in);
}

std::optional<std::string> encodeImageSet(const std::vector<ImsEntry>& entries) {
    if (entries.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    std::string out;
    appendInt32(out, static_cast<std::int32_t>(entries.size()));
    for (const ImsEntry& entry : entries) {
        if (hasLineBreak(entry.sourcePath)) {
            return std::nullopt;
        }
        appendInt32(out, entry.iconIndex);
        out += entry.sourcePath;
        out += '\n';
        if (entry.imageText.empty()) {
            out += kImsNoText;
        } else {
            std::string text = entry.imageText;
            std::replace_if(
                text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            out += text;
        }
        out += '\n';
    }
    return out;
}

ImsSaveResult saveImageSetFile(const std::string& path, const std::vector<ImsEntry>& entries,
                               const ImsSaveProgress& progress) {
    const std::optional<std::string> bytes = encodeImageSet(entries);
    if (!bytes) {
        return {ImsSaveStatus::UnwritableEntry, {}};
    }

    if (path.empty() || path.find('\0') != std::string::npos) {
        return {ImsSaveStatus::CannotCreate, {}};
    }
    fs::path target = pathutil::toFsPath(path);
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    const std::optional<fs::path> temporaryName = temporaryBeside(target);
    if (!temporaryName) {
        return {ImsSaveStatus::CannotCreate, {}};
    }

    // Declared first, so the stream is closed before the file is removed.
    TemporaryFile temporary(*temporaryName);
    errno = 0;
    std::ofstream out(temporary.path(), std::ios::binary | std::ios::trunc);
    if (!out) {
        return {ImsSaveStatus::CannotCreate, lastSystemError()};
    }

    for (std::size_t written = 0; written < bytes->size(); written += kSaveChunk) {
        if (progress && !progress(written)) {
            return {ImsSaveStatus::Interrupted, {}};
        }
        const std::size_t length = std::min(kSaveChunk, bytes->size() - written);
        errno = 0;
        out.write(bytes->data() + written, static_cast<std::streamsize>(length));
        if (!out) {
            return {ImsSaveStatus::WriteFailed, lastSystemError()};
        }
    }
    errno = 0;
    out.flush();
    out.close();
    if (!out) {
        return {ImsSaveStatus::WriteFailed, lastSystemError()};
    }

    const fs::file_status previous = fs::status(target, ec);
    if (fs::is_regular_file(previous)) {
        fs::permissions(temporary.path(), previous.permissions(), ec);
    }
    fs::rename(temporary.path(), target, ec);
    if (ec) {
        return {ImsSaveStatus::CannotReplace, ec.message()};
    }
    temporary.keep();
    return {};
}

} // namespace gemino

#include "core/paths/pathutil.h"

#include <cctype>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace gemino::pathutil {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool isBlank(char c) {
    return c == ' ';
}

bool isWhiteSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

char foldCase(char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return c;
}

bool sameCharacter(char a, char b) {
#ifdef _WIN32
    return foldCase(a) == foldCase(b);
#else
    return a == b;
#endif
}

// '?' stands for one character, and a character of a UTF-8 name may take several bytes.
std::size_t nextCharacter(const std::string& s, std::size_t i) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

bool hasWildcard(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

struct Match {
    std::string folder; // absolute, without a trailing separator (except a POSIX root)
    std::string name;   // the entry's own name
    fs::path entry;
};

// A link counts as what it points to: a link to a deleted set is as good as no set. Only the
// entry's status is asked for, so a FIFO is never opened.
bool entryExists(const fs::path& entry) {
    std::error_code ec;
    return fs::exists(fs::status(entry, ec));
}

std::string withoutTrailingSeparators(std::string s) {
    while (s.size() > 1 && isSeparator(s.back()))
        s.pop_back();
    return s;
}

std::optional<Match> lookupOrThrow(const std::string& pattern) {
    // A path is handed to the operating system as a C string; an embedded NUL would silently
    // shorten it and make it name some other entry.
    if (pattern.empty() || pattern.find('\0') != std::string::npos)
        return std::nullopt;

    const std::size_t cut = pattern.find_last_of("/\\");
    std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut);
    const std::string name = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (name.empty())
        return std::nullopt;
    if (cut != std::string::npos && folder.empty())
        folder = std::string(1, kSeparator);
#ifdef _WIN32
    if (folder.size() == 2 && IsDriveSpec(folder))
        folder += '\\';
#else
    for (char& c : folder) {
        if (c == '\\')
            c = '/';
    }
#endif

    std::error_code ec;
    fs::path base = folder.empty() ? fs::current_path(ec) : fs::absolute(toFsPath(folder), ec);
    if (ec)
        return std::nullopt;
    base = base.lexically_normal();

    Match match;
    match.folder = withoutTrailingSeparators(fromFsPath(base.make_preferred()));

    if (!hasWildcard(name)) {
        const fs::path entry = base / toFsPath(name);
        if (!entryExists(entry))
            return std::nullopt;
        match.name = name;
        match.entry = entry;
        return match;
    }

    // Directory order is arbitrary; taking the smallest matching name keeps results stable.
    std::optional<std::string> best;
    fs::directory_iterator it(base, ec);
    const fs::directory_iterator end;
    while (!ec && it != end) {
        const std::string candidate = fromFsPath(it->path().filename());
        if (wildcardMatch(name, candidate) && (!best || candidate < *best) &&
            entryExists(it->path()))
            best = candidate;
        it.increment(ec);
    }
    if (!best)
        return std::nullopt;
    match.name = *best;
    match.entry = base / toFsPath(*best);
    return match;
}

std::optional<Match> lookup(const std::string& pattern) {
    try {
        return lookupOrThrow(pattern);
    } catch (const std::exception&) {
        // Conversions of malformed names and allocation failures: the search finds nothing.
        return std::nullopt;
    }
}

} // namespace

// Paths travel as UTF-8; on Windows the narrow path constructor would take the ANSI code page.
fs::path toFsPath(const std::string& s) {
#ifdef _WIN32
    return fs::path(std::u8string(s.begin(), s.end()));
#else
    return fs::path(s);
#endif
}

std::string fromFsPath(const fs::path& p) {
#ifdef _WIN32
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
#else
    return p.native();
#endif
}

bool IsDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDriveSpec(const std::string& path) {
    if (path.size() != 2 && path.size() != 3)
        return false;
    if (!IsDriveLetter(path[0]) || path[1] != ':')
        return false;
    return path.size() == 2 || path[2] == '\\';
}

std::string GetPathTitle(const std::string& path) {
    if (IsDriveSpec(path))
        return {};
    const std::optional<Match> match = lookup(path);
    if (!match)
        return {};
    const std::size_t dot = match->name.rfind('.');
    return dot == std::string::npos ? match->name : match->name.substr(0, dot);
}

std::string GetPathExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::size_t start = dot + 1;
    while (start < path.size() && isWhiteSpace(path[start]))
        ++start;
    return path.substr(start);
}

bool PathExists(const std::string& name, const std::string& folder) {
    const std::string pattern = folder.empty() ? name : folder + kSeparator + name;
    return lookup(pattern).has_value();
}

std::string PopWord(std::string& list) {
    std::size_t i = 0;
    while (i < list.size() && isBlank(list[i]))
        ++i;
    std::size_t end = i;
    while (end < list.size() && !isBlank(list[end]))
        ++end;
    std::string word = list.substr(i, end - i);
    while (end < list.size() && isWhiteSpace(list[end]))
        ++end;
    list.erase(0, end);
    return word;
}

int FindWordIndex(const std::string& list, const std::string& word) {
    if (word.empty())
        return 0;
    std::string rest = list;
    int index = 0;
    for (std::string candidate = PopWord(rest); !candidate.empty(); candidate = PopWord(rest)) {
        ++index;
        if (equalsIgnoringCase(candidate, word))
            return index;
    }
    return 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return foldCase(x) == foldCase(y); });
}

std::string GetPathFolder(const std::string& path) {
    if (IsDriveSpec(path))
        return path;
    const std::optional<Match> match = lookup(path);
    return match ? match->folder : std::string();
}

bool IsFolderPath(const std::string& path) {
    if (IsDriveSpec(path))
        return false;
    const std::optional<Match> match = lookup(path);
    if (!match)
        return false;
    std::error_code ec;
    return fs::is_directory(match->entry, ec);
}

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    // Greedy matching that backtracks only to the latest '*': linear in practice and never
    // recursive, whatever the pattern.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = nextCharacter(name, n);
        } else if (p < pattern.size() && sameCharacter(pattern[p], name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            starN = nextCharacter(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace gemino::pathutil

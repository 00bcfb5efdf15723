#include "core/records/records.h"

#include "core/board/geometry.h"
#include "core/settings/settings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace gemino {

namespace {

// The standard sets in the order of their menu, with the names shown for them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kStandardSets = {{
    {"computer", "Computer"},
    {"flags", "Flags"},
    {"traffic", "Traffic"},
    {"misc", "Miscellaneous"},
}};

constexpr std::string_view kCustomPrefix = "file-";
constexpr const char* kBoardsName = "Boards";
constexpr const char* kMissesSuffix = ".Misses";
constexpr const char* kSecondsSuffix = ".Seconds";
// A hand-edited or damaged list costs bounded time: a path of 4096 bytes encodes to 12288.
constexpr std::size_t kMaxBoards = 1000;
constexpr std::size_t kMaxBoardNameLength = 3 * 4096 + 16;

int standardSetOrder(const std::string& name) {
    for (std::size_t i = 0; i < kStandardSets.size(); ++i) {
        if (kStandardSets[i].first == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool isPlainKeyCharacter(unsigned char c) {
    return std::isalnum(c) != 0 || c == '-' || c == '_';
}

} // namespace

BoardKey boardKeyOf(const GameSettings& settings) {
    if (!settings.customSetPath.empty()) {
        return {settings.customSetPath, settings.columns};
    }
    // A stored "Flags" plays the flags, so it keeps the flags' records.
    return {lowerCase(settings.standardSetName), settings.columns};
}

bool isCustomSet(const BoardKey& key) {
    return standardSetOrder(key.imageSet) < 0;
}

std::string imageSetTitle(const BoardKey& key) {
    const int order = standardSetOrder(key.imageSet);
    if (order >= 0) {
        return std::string(kStandardSets[static_cast<std::size_t>(order)].second);
    }
    const std::size_t slash = key.imageSet.find_last_of("/\\");
    return slash == std::string::npos ? key.imageSet : key.imageSet.substr(slash + 1);
}

RecordUpdate compareWithRecord(const BoardRecord& record, const FinishedGame& game) {
    RecordUpdate update;
    update.record = record;
    if (record.fewestMisses < 0 || game.misses < record.fewestMisses) {
        update.fewerMisses = true;
        update.record.fewestMisses = game.misses;
    }
    if (game.timed && (record.bestSeconds < 0 || game.seconds < record.bestSeconds)) {
        update.fasterTime = true;
        update.record.bestSeconds = game.seconds;
    }
    return update;
}

void GameTally::dealt(int numberPlayers) {
    counts_ = numberPlayers == 1;
    finished_ = false;
    misses_ = 0;
}

void GameTally::playersSet(int numberPlayers) {
    if (numberPlayers != 1) {
        counts_ = false;
    }
}

std::optional<FinishedGame> GameTally::finished(bool timed, int seconds) {
    if (!counts_ || finished_) {
        return std::nullopt;
    }
    finished_ = true;
    return FinishedGame{misses_, timed, seconds};
}

std::string formatSeconds(int seconds) {
    const int s = std::max(seconds, 0);
    const int rest = s % 60;
    return std::to_string(s / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

std::string formatMisses(int misses) {
    if (misses == 0) {
        return "no misses";
    }
    return std::to_string(misses) + (misses == 1 ? " miss" : " misses");
}

std::string newRecordMessage(const BoardKey& key, const RecordUpdate& update) {
    if (!update.improved()) {
        return {};
    }
    std::string text = "New record on " + imageSetTitle(key) + ", " + std::to_string(key.columns) +
                       (key.columns == 1 ? " column: " : " columns: ");
    if (update.fewerMisses) {
        text += formatMisses(update.record.fewestMisses);
    }
    if (update.fasterTime) {
        text += std::string(update.fewerMisses ? ", " : "") + "best time " +
                formatSeconds(update.record.bestSeconds);
    }
    return text + ".";
}

std::string encodeKeyText(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isPlainKeyCharacter(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> decodeKeyText(const std::string& encoded) {
    const auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const auto c = static_cast<unsigned char>(encoded[i]);
        if (isPlainKeyCharacter(c)) {
            out += encoded[i];
            continue;
        }
        if (c != '%' || i + 2 >= encoded.size()) {
            return std::nullopt;
        }
        const int high = hexValue(encoded[i + 1]);
        const int low = hexValue(encoded[i + 2]);
        // Only the form encodeKeyText writes is accepted, so each text has one name.
        if (high < 0 || low < 0 ||
            isPlainKeyCharacter(static_cast<unsigned char>(high * 16 + low))) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

RecordBook::RecordBook(SettingsStore& store) : store_(store) {}

std::string RecordBook::boardName(const BoardKey& key) {
    if (key.columns < 1 || key.columns > kMaxColumns || key.imageSet.empty()) {
        return {};
    }
    const std::string set =
        isCustomSet(key) ? std::string(kCustomPrefix) + encodeKeyText(key.imageSet) : key.imageSet;
    return set + "." + std::to_string(key.columns);
}

std::optional<BoardKey> RecordBook::parseBoardName(const std::string& name) {
    if (name.size() > kMaxBoardNameLength) {
        return std::nullopt;
    }
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) {
        return std::nullopt;
    }
    const std::string set = name.substr(0, dot);
    const std::string columns = name.substr(dot + 1);
    if (columns.empty() || columns.size() > 2 ||
        !std::all_of(columns.begin(), columns.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
        return std::nullopt;
    }
    BoardKey key{{}, std::stoi(columns)};
    if (standardSetOrder(set) >= 0) {
        key.imageSet = set;
    } else if (set.rfind(kCustomPrefix, 0) == 0) {
        const auto path = decodeKeyText(set.substr(kCustomPrefix.size()));
        // A decoded path that spells a standard name would be a second name for that set.
        if (!path || path->empty() || standardSetOrder(*path) >= 0) {
            return std::nullopt;
        }
        key.imageSet = *path;
    } else {
        return std::nullopt;
    }
    // The one spelling boardName writes, so no board is listed twice.
    if (boardName(key) != name) {
        return std::nullopt;
    }
    return key;
}

std::vector<std::string> RecordBook::boardNames() const {
    const std::string list = store_.ReadString(kBoardsName, std::string());
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < list.size() && names.size() < kMaxBoards) {
        std::size_t end = list.find(' ', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        if (end > start) {
            std::string name = list.substr(start, end - start);
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
        }
        start = end + 1;
    }
    return names;
}

BoardRecord RecordBook::find(const BoardKey& key) const {
    BoardRecord record;
    const std::string name = boardName(key);
    if (name.empty()) {
        return record;
    }
    record.fewestMisses = std::max(store_.ReadInt(name + kMissesSuffix, -1), -1);
    record.bestSeconds = std::max(store_.ReadInt(name + kSecondsSuffix, -1), -1);
    return record;
}

RecordUpdate RecordBook::submit(const BoardKey& key, const FinishedGame& game) {
    const std::string name = boardName(key);
    if (name.empty()) {
        return {};
    }
    const RecordUpdate update = compareWithRecord(find(key), game);
    if (!update.improved()) {
        return update;
    }
    if (update.fewerMisses) {
        store_.WriteInt(name + kMissesSuffix, update.record.fewestMisses);
    }
    if (update.fasterTime) {
        store_.WriteInt(name + kSecondsSuffix, update.record.bestSeconds);
    }
    const std::vector<std::string> names = boardNames();
    // Past the bound the record is still kept and compared, only no longer listed.
    if (std::find(names.begin(), names.end(), name) == names.end() && names.size() < kMaxBoards) {
        std::string list;
        for (const std::string& listed : names) {
            list += listed + " ";
        }
        store_.WriteString(kBoardsName, list + name);
    }
    return update;
}

std::vector<std::pair<BoardKey, BoardRecord>> RecordBook::all() const {
    std::vector<std::pair<BoardKey, BoardRecord>> records;
    for (const std::string& name : boardNames()) {
        const auto key = parseBoardName(name);
        if (!key) {
            continue;
        }
        const BoardRecord record = find(*key);
        if (record.fewestMisses >= 0 || record.bestSeconds >= 0) {
            records.emplace_back(*key, record);
        }
    }
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        const int orderA = standardSetOrder(a.first.imageSet);
        const int orderB = standardSetOrder(b.first.imageSet);
        // Custom sets (-1) after the standard ones.
        const auto rank = [](int order) { return order < 0 ? 4 : order; };
        if (rank(orderA) != rank(orderB)) {
            return rank(orderA) < rank(orderB);
        }
        if (a.first.imageSet != b.first.imageSet) {
            return a.first.imageSet < b.first.imageSet;
        }
        return a.first.columns < b.first.columns;
    });
    return records;
}

void RecordBook::clear() {
    for (const std::string& name : boardNames()) {
        store_.remove(name + kMissesSuffix);
        store_.remove(name + kSecondsSuffix);
    }
    store_.remove(kBoardsName);
}

} // namespace gemino

#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gemino {

struct GameSettings;
class SettingsStore;

// The board a record belongs to: the image set (a standard set's name in lower case, or the
// full path of a custom set or icon library) and the number of columns.
struct BoardKey {
    std::string imageSet;
    int columns = 0;
    friend bool operator==(const BoardKey&, const BoardKey&) = default;
};

// The board of the set and columns in `settings`.
BoardKey boardKeyOf(const GameSettings& settings);
// Whether the key names a custom set or icon library rather than a standard set.
bool isCustomSet(const BoardKey& key);
// "Miscellaneous", "Flags", ... for a standard set; a custom set's file name.
std::string imageSetTitle(const BoardKey& key);

// The best one-player games on a board; -1 where there is none yet.
struct BoardRecord {
    int fewestMisses = -1;
    int bestSeconds = -1;
    friend bool operator==(const BoardRecord&, const BoardRecord&) = default;
};

// A finished one-player game.
struct FinishedGame {
    int misses = 0;
    bool timed = false;
    int seconds = 0;
};

// What a finished game did to a board's record.
struct RecordUpdate {
    bool fewerMisses = false;
    bool fasterTime = false;
    BoardRecord record; // the record after the game
    bool improved() const { return fewerMisses || fasterTime; }
};

// A game beats the record with fewer misses, or (when timed) with a shorter time; the first
// game on a board sets both. An equal result is no new record.
RecordUpdate compareWithRecord(const BoardRecord& record, const FinishedGame& game);

// Whether a game counts for the records: it was dealt as a one-player game and stayed one all
// the way to its end; the five-second preview does not matter. Its misses are counted here.
class GameTally {
public:
    void dealt(int numberPlayers);
    // The number of players was set (again) by a command during the game.
    void playersSet(int numberPlayers);
    void missed() { ++misses_; }
    int misses() const { return misses_; }
    bool counts() const { return counts_; }
    // The game ended: what it scored for the records, once; nothing when it does not count.
    std::optional<FinishedGame> finished(bool timed, int seconds);

private:
    bool counts_ = false;
    bool finished_ = false;
    int misses_ = 0;
};

// "m:ss", as the scoreboard shows the time.
std::string formatSeconds(int seconds);
// "3 misses", "1 miss", "no misses".
std::string formatMisses(int misses);
// The status line after a game that set a record, e.g. "New record on Flags, 4 columns:
// 2 misses."; empty when the game set none.
std::string newRecordMessage(const BoardKey& key, const RecordUpdate& update);

// A value name holds any path this way: bytes other than ASCII letters, digits, '-' and '_'
// become %XX, so no separator of the settings store ('/', '\') and no '.' is left in it.
std::string encodeKeyText(const std::string& text);
// The reverse; nothing when `encoded` is not such a text.
std::optional<std::string> decodeKeyText(const std::string& encoded);

// The records of all boards, kept in a store of their own (the group "Records"). Each board
// has "<board>.Misses" and "<board>.Seconds", where <board> is the set ("misc", or "file-" and
// the encoded path) and the columns joined by '.'; "Boards" lists the boards, space-separated.
// Whatever the store holds is checked when read: a value out of range or an unknown board
// name is no record.
class RecordBook {
public:
    explicit RecordBook(SettingsStore& store);

    BoardRecord find(const BoardKey& key) const;
    // Compares a finished game with the board's record and stores what it improved.
    RecordUpdate submit(const BoardKey& key, const FinishedGame& game);
    // Every board with a record, standard sets first in menu order, then custom sets by path,
    // each by its columns.
    std::vector<std::pair<BoardKey, BoardRecord>> all() const;
    // Forgets every record.
    void clear();

    // The value-name stem of a board ("misc.8"); empty for a key that cannot be stored.
    static std::string boardName(const BoardKey& key);
    static std::optional<BoardKey> parseBoardName(const std::string& name);

private:
    std::vector<std::string> boardNames() const;

    SettingsStore& store_;
};

} // namespace gemino

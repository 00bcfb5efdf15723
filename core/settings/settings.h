#pragma once

#include "core/board/geometry.h"

#include <string>

namespace gemino {

// The per-user store of the game's options: named values of the section "Settings" (or of
// another section of the same store, such as the records of best games).
// Reads return the default when a value is missing or holds something of another type.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int ReadInt(const std::string& name, int defaultValue) const = 0;
    virtual std::string ReadString(const std::string& name,
                                   const std::string& defaultValue) const = 0;
    virtual void WriteInt(const std::string& name, int value) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    // Forgets a value, so it reads as missing again. The game's options are never removed;
    // the records of best games are, when the player clears them.
    virtual void remove(const std::string& name) = 0;

    // Booleans are stored as the integers 1 and 0; only a stored 1 reads as true.
    bool ReadBool(const std::string& name, bool defaultValue) const;
    void WriteBool(const std::string& name, bool value);
};

// Value names, spelled exactly as they are stored.
namespace key {
inline constexpr const char* StandardImageSet = "Standard Image Set";
inline constexpr const char* CustomImageSet = "Custom Image Set";
inline constexpr const char* NumberPlayers = "Number Players";
inline constexpr const char* DisplayMatcherName = "Display Matcher Name";
inline constexpr const char* DisplayImageText = "Display Image Text";
inline constexpr const char* HighlightMatchedImages = "Highlight Matched Images";
inline constexpr const char* UnmatchedDisplayTime = "Unmatched Image Display Time";
inline constexpr const char* MatchFlashes = "Number Flashes of Matched Images";
inline constexpr const char* Player1Name = "Player 1 Name";
inline constexpr const char* Player2Name = "Player 2 Name";
inline constexpr const char* NumberColumns = "Number Columns";
inline constexpr const char* ButtonSize = "Button Size";
inline constexpr const char* ButtonSpacing = "Button Spacing";
inline constexpr const char* PlaySounds = "Play Sounds";
inline constexpr const char* BrowseFileDir = "CreateImageList_BrowseFile_Dir";
inline constexpr const char* BrowseFileFilter = "CreateImageList_BrowseFile_Filter";
} // namespace key

// Defaults of the game's options.
namespace defaults {
inline constexpr const char* StandardSetName = "misc";
inline constexpr int NumberPlayers = 2;
inline constexpr int UnmatchedDisplayTime = 1500;
inline constexpr int MatchFlashes = 3;
inline constexpr const char* Player1Name = "Player 1";
inline constexpr const char* Player2Name = "Player 2";
inline constexpr int Columns = 8;
inline constexpr int ButtonSize = 50;
inline constexpr int ButtonSpacing = 12;
} // namespace defaults

// The values a stored option may take; anything else reads as its default.
struct Range {
    int lowest;
    int highest;
    constexpr bool contains(int value) const { return value >= lowest && value <= highest; }
};

namespace limits {
inline constexpr Range NumberPlayers{1, 2};
inline constexpr Range UnmatchedDisplayTime{1, 5000};
inline constexpr Range MatchFlashes{1, 7};
inline constexpr Range Columns{1, kMaxColumns};
inline constexpr Range ButtonSize{32, 200};
// The Board Layout dialog's spin goes up to 50, but a spacing above 40 reads as the default.
inline constexpr Range ButtonSpacing{1, 40};
} // namespace limits

// The one record of the game's options, filled by LoadSettings and read directly by everyone.
struct GameSettings {
    std::string standardSetName;
    std::string customSetPath;
    int numberPlayers = defaults::NumberPlayers;
    bool displayMatcherName = true;
    bool displayImageText = true;
    bool highlightMatchedImages = true;
    int unmatchedDisplayTime = defaults::UnmatchedDisplayTime;
    int matchFlashes = defaults::MatchFlashes;
    std::string player1Name = defaults::Player1Name;
    std::string player2Name = defaults::Player2Name;
    int columns = defaults::Columns;
    int buttonSize = defaults::ButtonSize;
    int buttonSpacing = defaults::ButtonSpacing;
    bool playSounds = true;
    // The working folder when the settings were loaded; never stored.
    std::string startupDirectory;
};

// Fills `settings` from `store`, applying every default and range rule. Writes nothing.
// `currentDirectory` becomes startupDirectory (callers pass the process's working folder).
void LoadSettings(GameSettings& settings, const SettingsStore& store,
                  const std::string& currentDirectory);

} // namespace gemino

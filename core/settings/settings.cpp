#include "core/settings/settings.h"

#include "core/paths/pathutil.h"

namespace gemino {

bool SettingsStore::ReadBool(const std::string& name, bool defaultValue) const {
    return ReadInt(name, defaultValue ? 1 : 0) == 1;
}

void SettingsStore::WriteBool(const std::string& name, bool value) {
    WriteInt(name, value ? 1 : 0);
}

namespace {

// Out of range means the default, never the nearer bound: a stored spacing of 45 starts as 12.
int readIntInRange(const SettingsStore& store, const char* name, int defaultValue, Range range) {
    const int value = store.ReadInt(name, defaultValue);
    return range.contains(value) ? value : defaultValue;
}

} // namespace

void LoadSettings(GameSettings& settings, const SettingsStore& store,
                  const std::string& currentDirectory) {
    settings.startupDirectory = currentDirectory;

    settings.standardSetName = store.ReadString(key::StandardImageSet, defaults::StandardSetName);
    settings.customSetPath = store.ReadString(key::CustomImageSet, std::string());
    // A custom set that has gone away falls back to a standard set for this run only; the
    // store keeps the old choice, so the check repeats at every start until a set is chosen.
    if (!settings.customSetPath.empty() && settings.standardSetName.empty() &&
        !pathutil::PathExists(settings.customSetPath, std::string())) {
        settings.customSetPath.clear();
        settings.standardSetName = defaults::StandardSetName;
    }

    settings.numberPlayers =
        readIntInRange(store, key::NumberPlayers, defaults::NumberPlayers, limits::NumberPlayers);
    settings.displayMatcherName = store.ReadBool(key::DisplayMatcherName, true);
    settings.displayImageText = store.ReadBool(key::DisplayImageText, true);
    settings.highlightMatchedImages = store.ReadBool(key::HighlightMatchedImages, true);
    settings.unmatchedDisplayTime =
        readIntInRange(store, key::UnmatchedDisplayTime, defaults::UnmatchedDisplayTime,
                       limits::UnmatchedDisplayTime);
    settings.matchFlashes =
        readIntInRange(store, key::MatchFlashes, defaults::MatchFlashes, limits::MatchFlashes);
    settings.player1Name = store.ReadString(key::Player1Name, defaults::Player1Name);
    settings.player2Name = store.ReadString(key::Player2Name, defaults::Player2Name);
    settings.columns =
        readIntInRange(store, key::NumberColumns, defaults::Columns, limits::Columns);
    settings.buttonSize =
        readIntInRange(store, key::ButtonSize, defaults::ButtonSize, limits::ButtonSize);
    settings.buttonSpacing =
        readIntInRange(store, key::ButtonSpacing, defaults::ButtonSpacing, limits::ButtonSpacing);
    settings.playSounds = store.ReadBool(key::PlaySounds, true);
}

} // namespace gemino

#pragma once

#include <array>
#include <string>

namespace gemino {

// The four built-in image sets, as resource numbers in set order.
extern const std::array<int, 20> MISC_ICON_IDS;
extern const std::array<int, 20> TRAFFIC_ICON_IDS;
extern const std::array<int, 20> COMPUTER_ICON_IDS;
extern const std::array<int, 20> FLAG_ICON_IDS;
// The country of each flag of FLAG_ICON_IDS, shown below it.
extern const std::array<const char*, 20> FLAG_TEXTS;
// What each picture of the other three sets shows, in words, for players who cannot see it.
extern const std::array<const char*, 20> MISC_DESCRIPTIONS;
extern const std::array<const char*, 20> TRAFFIC_DESCRIPTIONS;
extern const std::array<const char*, 20> COMPUTER_DESCRIPTIONS;

// The smiling face, which also tiles a finished board.
inline constexpr int kFinishedBoardIconId = 137;
// The program's icon.
inline constexpr int kProgramIconId = 128;

// The resource path (":/icons/...svg") of a built-in icon; empty for an unknown number.
std::string resourceIconPath(int id);

// The table of a standard set name ("misc", "traffic", "computer", "flags", in any case);
// null when the name is none of them.
const std::array<int, 20>* standardSetIcons(const std::string& name);
// The texts of a set: FLAG_TEXTS for "flags" (any case), null for the others.
const std::array<const char*, 20>* standardSetTexts(const std::string& name);
// What picture `position` of a standard set shows: a flag by its country ("flag of Canada"),
// the others by their description; empty for an unknown set or position.
std::string standardImageDescription(const std::string& name, int position);

} // namespace gemino

#include "core/imagesets/standardsets.h"

#include "core/paths/pathutil.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace gemino {

const std::array<int, 20> MISC_ICON_IDS = {131, 132, 133, 134, 135, 136, 137, 138, 139, 140,
                                           141, 142, 143, 144, 145, 146, 164, 165, 166, 167};
const std::array<int, 20> TRAFFIC_ICON_IDS = {130, 148, 147, 149, 160, 161, 152, 154, 153, 158,
                                              155, 156, 157, 150, 151, 159, 168, 169, 170, 139};
const std::array<int, 20> COMPUTER_ICON_IDS = {173, 184, 174, 175, 176, 172, 178, 180, 181, 182,
                                               183, 185, 187, 186, 179, 177, 189, 190, 188, 191};
const std::array<int, 20> FLAG_ICON_IDS = {192, 193, 194, 195, 196, 197, 198, 199, 200, 201,
                                           202, 203, 204, 205, 206, 207, 208, 209, 210, 211};
const std::array<const char*, 20> FLAG_TEXTS = {
    "Australia", "Belgium", "Brazil", "Canada",      "Denmark",        "Finland",      "France",
    "Ireland",   "Italy",   "Japan",  "Mexico",      "Netherlands",    "New Zealand",  "Norway",
    "Portugal",  "Spain",   "Sweden", "Switzerland", "United Kingdom", "United States"};

const std::array<const char*, 20> MISC_DESCRIPTIONS = {"alarm clock",
                                                       "binoculars",
                                                       "red suspension bridge",
                                                       "target",
                                                       "lit firecracker",
                                                       "pendulum clock",
                                                       "smiling face",
                                                       "house with a car",
                                                       "ignition key",
                                                       "horseshoe magnet",
                                                       "sad face",
                                                       "sunset over the sea",
                                                       "island with a palm tree",
                                                       "hand-held video camera",
                                                       "square wall clock",
                                                       "eye",
                                                       "club",
                                                       "heart",
                                                       "diamond",
                                                       "spade"};
const std::array<const char*, 20> TRAFFIC_DESCRIPTIONS = {"yellow diamond sign, arrow up",
                                                          "yellow diamond sign, arrow down",
                                                          "yellow diamond sign, arrow right",
                                                          "yellow diamond sign, arrow left",
                                                          "pedestrian signal, WALK lit",
                                                          "pedestrian signal, DONT WALK lit",
                                                          "traffic light, green",
                                                          "traffic light, red",
                                                          "traffic light, yellow",
                                                          "cartoon car on legs",
                                                          "speed limit 50 sign",
                                                          "stop sign",
                                                          "traffic cone",
                                                          "right-turn sign",
                                                          "slippery road sign",
                                                          "two-lane road with arrows",
                                                          "bicycle",
                                                          "two cars",
                                                          "fuel pump",
                                                          "ignition key"};
const std::array<const char*, 20> COMPUTER_DESCRIPTIONS = {"compact disc",
                                                           "desktop computer",
                                                           "folder with tools",
                                                           "desk with a lamp",
                                                           "floppy disk",
                                                           "disk drive with a floppy disk",
                                                           "flat drive unit",
                                                           "keyboard",
                                                           "arrow keys",
                                                           "monitor",
                                                           "mouse",
                                                           "two networked computers",
                                                           "empty recycle bin",
                                                           "full recycle bin",
                                                           "folder with a magnifying glass",
                                                           "stack of floppy disks",
                                                           "compact disc with musical notes",
                                                           "network drive",
                                                           "drive unit with a floppy disk",
                                                           "folder with a printer"};

namespace {

// One file per resource number; icon 139 serves two sets and so has one file.
constexpr std::pair<int, const char*> kIconFiles[] = {
    {128, "app/gemino"},
    {131, "misc/alarm-clock"},
    {132, "misc/binoculars"},
    {133, "misc/suspension-bridge"},
    {134, "misc/target"},
    {135, "misc/firecracker"},
    {136, "misc/pendulum-clock"},
    {137, "misc/smiling-face"},
    {138, "misc/house-with-car"},
    {139, "misc/ignition-key"},
    {140, "misc/horseshoe-magnet"},
    {141, "misc/sad-face"},
    {142, "misc/sunset"},
    {143, "misc/palm-island"},
    {144, "misc/video-camera"},
    {145, "misc/wall-clock"},
    {146, "misc/eye"},
    {164, "misc/club"},
    {165, "misc/heart"},
    {166, "misc/diamond"},
    {167, "misc/spade"},
    {130, "traffic/arrow-up-sign"},
    {148, "traffic/arrow-down-sign"},
    {147, "traffic/arrow-right-sign"},
    {149, "traffic/arrow-left-sign"},
    {160, "traffic/walk-signal"},
    {161, "traffic/dont-walk-signal"},
    {152, "traffic/light-green"},
    {154, "traffic/light-red"},
    {153, "traffic/light-yellow"},
    {158, "traffic/walking-car"},
    {155, "traffic/speed-limit-50"},
    {156, "traffic/stop-sign"},
    {157, "traffic/traffic-cone"},
    {150, "traffic/right-turn-sign"},
    {151, "traffic/slippery-road"},
    {159, "traffic/two-lane-road"},
    {168, "traffic/bicycle"},
    {169, "traffic/two-cars"},
    {170, "traffic/fuel-pump"},
    {173, "computer/compact-disc"},
    {184, "computer/desktop-computer"},
    {174, "computer/folder-tools"},
    {175, "computer/desk-lamp"},
    {176, "computer/floppy-disk"},
    {172, "computer/disk-drive-floppy"},
    {178, "computer/flat-drive"},
    {180, "computer/keyboard"},
    {181, "computer/arrow-keys"},
    {182, "computer/monitor"},
    {183, "computer/mouse"},
    {185, "computer/networked-computers"},
    {187, "computer/recycle-bin-empty"},
    {186, "computer/recycle-bin-full"},
    {179, "computer/folder-magnifier"},
    {177, "computer/floppy-stack"},
    {189, "computer/music-cd"},
    {190, "computer/network-drive"},
    {188, "computer/drive-unit-floppy"},
    {191, "computer/folder-printer"},
    {192, "flags/australia"},
    {193, "flags/belgium"},
    {194, "flags/brazil"},
    {195, "flags/canada"},
    {196, "flags/denmark"},
    {197, "flags/finland"},
    {198, "flags/france"},
    {199, "flags/ireland"},
    {200, "flags/italy"},
    {201, "flags/japan"},
    {202, "flags/mexico"},
    {203, "flags/netherlands"},
    {204, "flags/new-zealand"},
    {205, "flags/norway"},
    {206, "flags/portugal"},
    {207, "flags/spain"},
    {208, "flags/sweden"},
    {209, "flags/switzerland"},
    {210, "flags/united-kingdom"},
    {211, "flags/united-states"},
};

} // namespace

std::string resourceIconPath(int id) {
    for (const auto& [number, file] : kIconFiles) {
        if (number == id) {
            return std::string(":/icons/") + file + ".svg";
        }
    }
    return {};
}

const std::array<int, 20>* standardSetIcons(const std::string& name) {
    if (pathutil::equalsIgnoringCase(name, "misc")) {
        return &MISC_ICON_IDS;
    }
    if (pathutil::equalsIgnoringCase(name, "traffic")) {
        return &TRAFFIC_ICON_IDS;
    }
    if (pathutil::equalsIgnoringCase(name, "computer")) {
        return &COMPUTER_ICON_IDS;
    }
    if (pathutil::equalsIgnoringCase(name, "flags")) {
        return &FLAG_ICON_IDS;
    }
    return nullptr;
}

const std::array<const char*, 20>* standardSetTexts(const std::string& name) {
    return pathutil::equalsIgnoringCase(name, "flags") ? &FLAG_TEXTS : nullptr;
}

std::string standardImageDescription(const std::string& name, int position) {
    if (position < 0 || position >= 20) {
        return {};
    }
    const auto k = static_cast<std::size_t>(position);
    if (pathutil::equalsIgnoringCase(name, "flags")) {
        return std::string("flag of ") + FLAG_TEXTS[k];
    }
    const std::array<const char*, 20>* table =
        pathutil::equalsIgnoringCase(name, "misc")       ? &MISC_DESCRIPTIONS
        : pathutil::equalsIgnoringCase(name, "traffic")  ? &TRAFFIC_DESCRIPTIONS
        : pathutil::equalsIgnoringCase(name, "computer") ? &COMPUTER_DESCRIPTIONS
                                                         : nullptr;
    return table ? (*table)[k] : std::string();
}

} // namespace gemino

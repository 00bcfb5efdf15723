#pragma once

// Command identifiers, shared by the menu, the toolbar and the tests.
namespace gemino::command {
inline constexpr int CreateCustomImageSet = 32771;
inline constexpr int UseCustomImageSet = 32772;
inline constexpr int NewGame = 32773;
inline constexpr int BoardLayout = 32774;
inline constexpr int PlayerNames = 32777;
inline constexpr int OnePlayer = 32778;
inline constexpr int TwoPlayers = 32779;
inline constexpr int MiscSet = 32781;
inline constexpr int TrafficSet = 32782;
inline constexpr int MaximizeButtons = 32787;
inline constexpr int ComputerSet = 32789;
inline constexpr int PlaySounds = 32790;
inline constexpr int ShowAllImages = 32791;
inline constexpr int DisplayProperties = 32794;
inline constexpr int TimedGame = 32795;
inline constexpr int FlagSet = 32796;
// Beyond the menu resource's own range.
inline constexpr int BestResults = 32800;
inline constexpr int About = 57664;
inline constexpr int Exit = 57665;
} // namespace gemino::command

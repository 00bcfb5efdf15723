#pragma once

#include "core/board/geometry.h"

#include <array>
#include <string>

namespace gemino {

struct GameSettings;
class Presentation;
class Random;

// The id of the game clock's one-second timer.
inline constexpr int kClockTimerId = 1;

// The sound cues, read from the start-up folder when played.
namespace cue {
inline constexpr const char* Match = "Match.wav";
inline constexpr const char* Bonus = "Bonus.wav";
inline constexpr const char* Pop = "Pop.wav";
inline constexpr const char* YouWon = "You Won.wav";
} // namespace cue

// The engine's view of the image list: it only counts and reorders the images.
class ImageList {
public:
    virtual ~ImageList() = default;
    virtual int imageCount() const = 0;
    virtual void swapImages(int a, int b) = 0;
};

struct GameState {
    std::array<int, kMaxCells> cellImage{};
    std::array<bool, kMaxCells> cellMatched{};
    std::array<int, kMaxCells> cellMatcher{};
    int firstPick = -1;
    int secondPick = -1;
    int flashFirst = -1;
    int flashSecond = -1;
    int streak = 0;
    std::array<int, 2> scores{};
    int currentPlayer = 0;
    int bonusImage1 = -1;
    int bonusImage2 = -1;
    bool gameOver = false;
    bool showingAll = false;
    bool awaitingFirstPick = false;
    bool timedGame = false;
    int elapsedSeconds = 0;
    int selectedColumn = -1;
    int selectedRow = -1;
};

// A key-down as the board sees it. Letters are upper case 'A' to 'Z'; digits '0' to '9'.
struct KeyPress {
    enum class Kind { Letter, Digit, KeypadDigit, Escape, Other };
    Kind kind = Kind::Other;
    char character = 0;
    bool ctrl = false;
    bool shift = false;
};

// One game of memory and concentration: the deal, the rules of a turn, the clock, the preview
// and the cues. It acts on the screen only through its Presentation.
class Game {
public:
    Game(const GameSettings& settings, Presentation& presentation, ImageList& images,
         Random& random);

    const GameState& state() const { return state_; }
    int columns() const;
    int cellsInPlay() const { return kRows * columns(); }

    // Deals a fresh game on the current board and image list.
    void NewGame();
    // Cell `cell` was chosen, by its button or by the keyboard.
    void OnBoardButton(int cell);
    // Ends the game when every cell in play is matched; says whether it did.
    bool CheckGameOver();
    // The board's key-down handling; false when the key must go on to the accelerators.
    bool onKeyDown(const KeyPress& key);
    // Whether onKeyDown keeps the key (true) or lets it reach the menu's shortcuts.
    static bool keyIsForTheBoard(const KeyPress& key);
    // The "Timed Game" command.
    void ToggleTimedGame();
    // A tick of the view's timer.
    void OnTimer(int id);
    // "Display All Images for 5 Seconds".
    void ShowAllImages();
    // Plays `file` from the start-up folder when sounds are on.
    void PlayCue(const std::string& file, bool wait);
    // The number of players was changed by a command in the middle of a game.
    void onNumberPlayersChanged();
    // Forgets a half-typed keyboard choice and relabels every cell normally.
    void clearKeyboardSelection();

    // Command states.
    bool canToggleTimedGame() const { return state_.awaitingFirstPick; }
    bool canShowAllImages() const { return state_.awaitingFirstPick; }
    bool canChangeBoardLayout() const { return !state_.showingAll && !state_.gameOver; }
    bool clockRunning() const { return clockRunning_; }

    // For tests that need a position the rules can reach only slowly.
    GameState& mutableState() { return state_; }

private:
    void ShuffleImages();
    void ShuffleCells();
    void resolveMatch();
    void resolveMismatch();
    bool isBonusImage(int image) const;
    void startClock();
    void stopClock();

    const GameSettings& settings_;
    Presentation& presentation_;
    ImageList& images_;
    Random& random_;
    GameState state_;
    bool clockRunning_ = false;
};

} // namespace gemino

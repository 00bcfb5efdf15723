#include "core/engine/game.h"

#include "core/engine/expects.h"
#include "core/engine/presentation.h"
#include "core/engine/random.h"
#include "core/settings/settings.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace gemino {

namespace {

constexpr int kMatchedPairShownMs = 500;
constexpr int kFlashStepMs = 400;
constexpr int kTimedUnmatchedShownMs = 500;
constexpr int kResultDelayMs = 1000;
constexpr int kPreviewMs = 5000;
constexpr int kMatchPoints = 100;
constexpr int kStreakPoints = 50;
constexpr int kBonusPoints = 150;

// Ctrl and Shift letters that belong to the menu's shortcuts rather than to the board.
constexpr std::string_view kCtrlShortcutLetters = "ABCDIMNPST";
constexpr std::string_view kShiftShortcutLetters = "CFMT";

} // namespace

Game::Game(const GameSettings& settings, Presentation& presentation, ImageList& images,
           Random& random)
    : settings_(settings), presentation_(presentation), images_(images), random_(random) {}

int Game::columns() const {
    return settings_.columns;
}

// The whole image list is shuffled, not only the images in play, so a small board shows a
// different selection each deal.
void Game::ShuffleImages() {
    const int n = images_.imageCount();
    for (int i = 0; i < n; ++i) {
        const int j = random_.RandomFrom1To(n);
        if (i != j - 1) {
            images_.swapImages(i, j - 1);
        }
    }
}

void Game::ShuffleCells() {
    const int n = cellsInPlay();
    for (int i = 0; i < n; ++i) {
        const int j = random_.RandomFrom1To(n);
        std::swap(state_.cellImage[i], state_.cellImage[j - 1]);
    }
}

void Game::NewGame() {
    GEMINO_EXPECTS(columns() >= 1 && columns() <= kMaxColumns);
    const int n = cellsInPlay();
    const int imageCount = images_.imageCount();
    GEMINO_EXPECTS(imageCount >= n / 2 && imageCount <= kMaxImages);

    if (state_.timedGame) {
        stopClock();
        state_.elapsedSeconds = 0;
    }

    for (int k = 0; k < n / 2; ++k) {
        state_.cellImage[k] = k;
        state_.cellImage[k + n / 2] = k;
    }

    ShuffleImages();
    ShuffleCells();

    state_.gameOver = false;
    state_.scores = {0, 0};
    state_.currentPlayer = 0;
    state_.streak = 0;
    state_.selectedColumn = state_.selectedRow = -1;
    state_.firstPick = state_.secondPick = -1;
    state_.flashFirst = state_.flashSecond = -1;

    state_.bonusImage1 = n > 8 ? random_.RandomFrom1To(n / 2) - 1 : -1;
    state_.bonusImage2 = n > 16 ? random_.RandomFrom1To(n / 2) - 1 : -1;

    // Cells beyond the board keep no stale marks for a later, wider board.
    state_.cellMatched.fill(false);
    for (int i = 0; i < n; ++i) {
        presentation_.setCellButtonVisible(i, false);
    }
    for (int i = 0; i < n; ++i) {
        presentation_.setCellButtonVisible(i, true);
    }

    state_.awaitingFirstPick = true;
    presentation_.invalidateAll();
}

void Game::clearKeyboardSelection() {
    state_.selectedColumn = state_.selectedRow = -1;
    presentation_.relabelCells(-1, -1);
}

void Game::OnBoardButton(int cell) {
    GEMINO_EXPECTS(cell >= 0 && cell < cellsInPlay());

    if (state_.timedGame && state_.awaitingFirstPick) {
        startClock();
        state_.elapsedSeconds = 0;
    }
    state_.awaitingFirstPick = false;

    if (cell == state_.firstPick || state_.cellMatched[cell]) {
        clearKeyboardSelection();
        return;
    }

    bool uncovered = true;
    if (state_.firstPick == -1) {
        state_.firstPick = cell;
    } else if (state_.secondPick == -1) {
        state_.secondPick = cell;
    } else {
        uncovered = false;
    }

    if (uncovered) {
        presentation_.InvalidateCell(cell);
        presentation_.setCellButtonVisible(cell, false);
        if (state_.secondPick != -1) {
            // Both images must be on the screen before the pair is judged.
            presentation_.relabelCells(-1, -1);
            if (state_.cellImage[state_.firstPick] == state_.cellImage[state_.secondPick]) {
                resolveMatch();
            } else {
                resolveMismatch();
            }
        }
    }

    clearKeyboardSelection();
}

bool Game::isBonusImage(int image) const {
    return image == state_.bonusImage1 || image == state_.bonusImage2;
}

void Game::resolveMatch() {
    const int first = state_.firstPick;
    const int second = state_.secondPick;
    const bool bonus = isBonusImage(state_.cellImage[first]);
    PlayCue(bonus ? cue::Bonus : cue::Match, false);

    state_.flashFirst = first;
    state_.flashSecond = second;
    state_.cellMatched[first] = state_.cellMatched[second] = true;

    presentation_.wait(kMatchedPairShownMs);

    // An odd number of steps, so the pair ends vanished with both picks cleared.
    const int steps = state_.timedGame ? 1 : std::max(1, 2 * settings_.matchFlashes - 1);
    for (int step = 0; step < steps; ++step) {
        if (state_.firstPick >= 0) {
            state_.firstPick = state_.secondPick = -1;
        } else {
            state_.firstPick = state_.flashFirst;
            state_.secondPick = state_.flashSecond;
        }
        presentation_.InvalidateCell(state_.flashFirst);
        presentation_.InvalidateCell(state_.flashSecond);
        presentation_.updateNow();
        if (step + 1 < steps) {
            presentation_.wait(kFlashStepMs);
        }
    }

    state_.cellMatcher[first] = state_.cellMatcher[second] = state_.currentPlayer;
    state_.flashFirst = state_.flashSecond = -1;

    for (int k = 0; k < state_.streak; ++k) {
        PlayCue(cue::Pop, true);
    }
    state_.scores[state_.currentPlayer] +=
        kMatchPoints + kStreakPoints * state_.streak + (bonus ? kBonusPoints : 0);
    ++state_.streak;

    presentation_.invalidateAll();
    CheckGameOver();
}

void Game::resolveMismatch() {
    presentation_.wait(state_.timedGame ? kTimedUnmatchedShownMs : settings_.unmatchedDisplayTime);

    presentation_.setCellButtonVisible(state_.firstPick, true);
    state_.firstPick = -1;
    presentation_.setCellButtonVisible(state_.secondPick, true);
    state_.secondPick = -1;

    if (settings_.numberPlayers == 2) {
        state_.currentPlayer = 1 - state_.currentPlayer;
    }
    state_.streak = 0;
    presentation_.invalidateAll();
}

bool Game::CheckGameOver() {
    const int n = cellsInPlay();
    const auto matched =
        std::count(state_.cellMatched.begin(), state_.cellMatched.begin() + n, true);
    if (matched < n) {
        return false;
    }

    if (state_.timedGame) {
        stopClock();
    }
    for (int i = 0; i < n; ++i) {
        presentation_.setCellButtonVisible(i, false);
    }
    presentation_.invalidateAll();
    presentation_.updateNow();

    presentation_.wait(kResultDelayMs);

    state_.gameOver = true;
    if (settings_.numberPlayers == 1 || state_.scores[0] != state_.scores[1]) {
        PlayCue(cue::YouWon, false);
    }
    presentation_.invalidateAll();
    presentation_.updateNow();
    return true;
}

bool Game::keyIsForTheBoard(const KeyPress& key) {
    if (key.kind != KeyPress::Kind::Letter) {
        return true;
    }
    if (key.ctrl && kCtrlShortcutLetters.find(key.character) != std::string_view::npos) {
        return false;
    }
    return !(key.shift && kShiftShortcutLetters.find(key.character) != std::string_view::npos);
}

bool Game::onKeyDown(const KeyPress& key) {
    if (!keyIsForTheBoard(key)) {
        return false;
    }
    const bool letter = key.kind == KeyPress::Kind::Letter;

    if (letter && key.character >= 'A' && key.character < 'A' + columns()) {
        state_.selectedColumn = key.character - 'A';
        presentation_.relabelCells(-1, state_.selectedColumn);
    } else if (key.kind == KeyPress::Kind::Digit && key.character >= '1' &&
               key.character <= '0' + kRows) {
        state_.selectedRow = key.character - '1';
        presentation_.relabelCells(state_.selectedRow, -1);
    } else if (key.kind == KeyPress::Kind::Escape) {
        clearKeyboardSelection();
    }

    if (state_.selectedRow >= 0 && state_.selectedColumn >= 0) {
        OnBoardButton(state_.selectedRow * columns() + state_.selectedColumn);
    }
    return true;
}

void Game::ToggleTimedGame() {
    if (!canToggleTimedGame()) {
        return;
    }
    state_.timedGame = !state_.timedGame;
    presentation_.invalidateAll();
}

void Game::startClock() {
    presentation_.startClock();
    clockRunning_ = true;
}

void Game::stopClock() {
    if (clockRunning_) {
        presentation_.stopClock();
        clockRunning_ = false;
    }
}

void Game::OnTimer(int id) {
    // A tick that was already queued when the clock stopped is not counted.
    if (id != kClockTimerId || !clockRunning_) {
        return;
    }
    ++state_.elapsedSeconds;
    presentation_.invalidateScoreBand();
}

void Game::ShowAllImages() {
    if (!canShowAllImages()) {
        return;
    }
    const int n = cellsInPlay();
    for (int i = 0; i < n; ++i) {
        presentation_.setCellButtonVisible(i, false);
    }
    state_.showingAll = true;
    presentation_.invalidateAll();
    presentation_.updateNow();

    presentation_.wait(kPreviewMs);

    state_.showingAll = false;
    presentation_.invalidateAll();
    presentation_.updateNow();
    for (int i = 0; i < n; ++i) {
        presentation_.setCellButtonVisible(i, true);
    }
}

void Game::PlayCue(const std::string& file, bool wait) {
    if (!settings_.playSounds) {
        return;
    }
    presentation_.playSound(settings_.startupDirectory + "/" + file, wait);
}

void Game::onNumberPlayersChanged() {
    // A game that drops to one player goes on with player 1, who is the one shown.
    if (settings_.numberPlayers == 1 && state_.currentPlayer == 1) {
        state_.currentPlayer = 0;
        state_.streak = 0;
    }
    presentation_.invalidateAll();
}

} // namespace gemino

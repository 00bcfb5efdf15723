#pragma once

#include <string>

namespace gemino {

// Everything the engine does to the screen, the clock and the loudspeaker. The board view
// implements it; tests implement it with a recorder on a virtual clock.
class Presentation {
public:
    virtual ~Presentation() = default;

    // Shows (covers the cell) or hides (uncovers it) the button of cell i.
    virtual void setCellButtonVisible(int cell, bool visible) = 0;
    // Schedules a repaint, with erase, of the whole view.
    virtual void invalidateAll() = 0;
    // Schedules a repaint of one cell's square and the text band below it.
    virtual void InvalidateCell(int cell) = 0;
    // Schedules a repaint of the band from the scoreboard's top to the bottom of the view.
    virtual void invalidateScoreBand() = 0;
    // Performs every scheduled repaint now.
    virtual void updateNow() = 0;
    // Returns when `ms` milliseconds have passed; the screen is current and no input is
    // handled meanwhile.
    virtual void wait(int ms) = 0;
    // Starts and stops the game clock: a tick every 1000 ms reaches Game::OnTimer(1).
    virtual void startClock() = 0;
    virtual void stopClock() = 0;
    // Plays a wave file, stopping any cue still playing. With `wait`, returns when it ends.
    virtual void playSound(const std::string& path, bool wait) = 0;
    // Relabels every cell in play: the cells of `row` (or of `column`) in red, the others
    // normally; both -1 relabels all normally. Ends by updating the window at once.
    virtual void relabelCells(int row, int column) = 0;
};

} // namespace gemino

#pragma once

#include "core/board/geometry.h"
#include "core/engine/game.h"
#include "core/engine/presentation.h"
#include "qt/imagesets/imageset.h"

#include <QFont>
#include <QRegion>
#include <QWidget>

#include <array>
#include <memory>

class QPushButton;

namespace gemino {

struct GameSettings;
class SettingsStore;
class SoundOutput;
class CellButton;
class CSetImage;

// The board window: 40 cell buttons over the painted board and scoreboard. It owns the game
// and carries out the engine's effects on the screen, the clock and the loudspeaker.
class BoardView : public QWidget, private Presentation {
    Q_OBJECT
public:
    BoardView(GameSettings& settings, SettingsStore& store, SoundOutput& sound,
              QWidget* parent = nullptr);
    ~BoardView() override;

    // The first initialisation: lays out the board, loads the set the settings name and deals.
    void initialize();

    GameSettings& settings() { return settings_; }
    SettingsStore& store() { return store_; }
    Game& game() { return game_; }
    const Game& game() const { return game_; }
    ImageSet& images() { return images_; }
    BoardGeometry geometry() const;
    QPushButton* cellButton(int cell) const;

    // Waits last `scale` times their length; tests shorten them, 0 makes them instant.
    void setTimeScale(double scale) { timeScale_ = scale; }
    double timeScale() const { return timeScale_; }
    // True while the engine is resolving a turn, previewing or ending a game.
    bool busy() const { return busy_ > 0; }
    // The id of the running game clock's timer, 0 when it is stopped.
    int clockTimerId() const { return clockTimer_; }

    // Commands.
    void newGameCommand();
    void toggleTimedGameCommand();
    void showAllImagesCommand();
    void useStandardSet(const std::string& name);
    void setNumberPlayers(int players);
    void togglePlaySounds();
    // Sizes the buttons to fill a window with these metrics (see MaximizeButtonSize).
    void maximizeButtonSizeFor(const WindowMetrics& metrics);
    // Places, labels and shows the buttons for the current geometry.
    void LayoutButtons();
    // Reloads every bitmap image at the current button size.
    void ReloadBitmaps();
    // Clears the keyboard's half-made choice and its highlight.
    void clearKeyboardHighlight();
    // Removes and returns the label highlight state, for tests: -1 when none.
    int highlightedRow() const { return highlightRow_; }
    int highlightedColumn() const { return highlightColumn_; }

    static constexpr int kClockTimerId = 1;

signals:
    // The game's state may have changed: command states should be brought up to date.
    void stateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Presentation
    void setCellButtonVisible(int cell, bool visible) override;
    void invalidateAll() override;
    void InvalidateCell(int cell) override;
    void invalidateScoreBand() override;
    void updateNow() override;
    void wait(int ms) override;
    void startClock() override;
    void stopClock() override;
    void playSound(const std::string& path, bool wait) override;
    void relabelCells(int row, int column) override;

    // Runs an engine operation; ticks that fall due meanwhile are handled once it is over.
    template <typename Operation> void runEngine(Operation&& operation);
    void pause(int ms);
    void loadStartupSet();
    void PaintBoard(QPainter& painter);
    void DrawCellImage(QPainter& painter, int cell);
    void paintScoreboard(QPainter& painter);
    bool handleKey(QKeyEvent* key, bool apply);

    GameSettings& settings_;
    SettingsStore& store_;
    SoundOutput& sound_;
    ImageSet images_;
    Game game_;

    std::array<CellButton*, kMaxCells> buttons_{};
    QFont imageTextFont_;
    QFont scoreFont_;
    QFont bannerFont_;
    std::unique_ptr<CSetImage> finishedBoardIcon_;

    QRegion pending_;
    double timeScale_ = 1.0;
    int busy_ = 0;
    int clockTimer_ = 0;
    bool tickPending_ = false;
    int highlightRow_ = -1;
    int highlightColumn_ = -1;
};

} // namespace gemino

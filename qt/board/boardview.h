#pragma once

#include "core/board/geometry.h"
#include "core/engine/presentation.h"

#include <QFont>
#include <QRegion>
#include <QWidget>

#include <array>
#include <memory>

class QPushButton;

namespace gemino {

struct GameSettings;
struct KeyPress;
class CellButton;
class CSetImage;
class Game;
class ImageSet;
class SoundOutput;

// What the board passes on: the cells chosen, the keys typed and the ticks of the game clock.
class BoardInput {
public:
    virtual ~BoardInput() = default;
    virtual void cellChosen(int cell) = 0;
    // False when the key is not the board's and must go on to the menu's shortcuts.
    virtual bool keyPressed(const KeyPress& key) = 0;
    virtual void clockTicked() = 0;
};

// The board window: 40 cell buttons over the painted board and scoreboard. It draws the game
// it is shown, passes input on, and carries out the engine's effects on the screen, the clock
// and the loudspeaker.
class BoardView : public QWidget, public Presentation {
    Q_OBJECT
public:
    BoardView(const GameSettings& settings, SoundOutput& sound, QWidget* parent = nullptr);
    ~BoardView() override;

    // The game and images to draw and where input goes; set once, before the first paint.
    void attach(const Game& game, const ImageSet& images, BoardInput& input);

    BoardGeometry geometry() const;
    QPushButton* cellButton(int cell) const;
    // Places, labels and shows the buttons for the current geometry.
    void LayoutButtons();

    // Waits last `scale` times their length; tests shorten them, 0 makes them instant.
    void setTimeScale(double scale) { timeScale_ = scale; }
    // The id of the running game clock's timer, 0 when it is stopped.
    int clockTimerId() const { return clockTimer_; }
    // Whether the board has been painted at least once.
    bool painted() const { return painted_; }

    // Repaints the cells that show `image`: its picture has arrived.
    void invalidateImage(const CSetImage* image);

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

signals:
    // The engine is about to wait: the screen is current, and so should the commands' states be.
    void waiting();
    // The board has been painted for the first time: what waited for the window may start.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void pause(int ms);
    void PaintBoard(QPainter& painter);
    void DrawCellImage(QPainter& painter, int cell);
    void paintScoreboard(QPainter& painter);
    bool handleKey(QKeyEvent* key, bool apply);

    const GameSettings& settings_;
    SoundOutput& sound_;
    const Game* game_ = nullptr;
    const ImageSet* images_ = nullptr;
    BoardInput* input_ = nullptr;

    std::array<CellButton*, kMaxCells> buttons_{};
    QFont imageTextFont_;
    QFont scoreFont_;
    QFont bannerFont_;
    std::unique_ptr<CSetImage> finishedBoardIcon_;

    QRegion pending_;
    double timeScale_ = 1.0;
    int clockTimer_ = 0;
    bool painted_ = false;
};

} // namespace gemino

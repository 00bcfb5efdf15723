#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QRect>

#include <map>

class QAction;
class QMenu;
class QToolBar;

namespace gemino {

struct GameSettings;
class SettingsStore;
class SoundOutput;
class BoardView;
class GameSession;
class GameWatch;

// Where the frame's client area goes at start-up: the whole frame, decorations included, sits at
// the top left of the screen's available area and is 2 + 3 edges smaller than it each way.
QRect startupClientGeometry(const QRect& available, const QMargins& frame, int edge);

// The main frame: menu, toolbar and status bar around the board.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The records of best games go to `recordStore`; without one they are kept for this run.
    MainWindow(GameSettings& settings, SettingsStore& store, SoundOutput& sound,
               QWidget* parent = nullptr, SettingsStore* recordStore = nullptr);

    BoardView* board() const { return board_; }
    GameSession* session() const { return session_; }
    // What a screen reader is told of the game, and the records.
    GameWatch* watch() const { return watch_; }
    // The action of a command id (32771 to 32796, 57664, 57665); null when unknown.
    QAction* action(int id) const;

    // Places the frame at the top left of the screen's available area, less small margins.
    void placeOnScreen();
    // Brings every check mark and enabled state up to date with the game.
    void updateCommandStates();

    static const char* caption();

    // Deals the first game, shows the frame at its start-up place and size, then the About box
    // over the dealt board.
    void startUp();

public slots:
    void showAbout();
    // "Use Custom Image Set..." and "Create Custom Image Set...".
    void onUseCustomImageSet();
    void onCreateCustomImageSet();
    // The options dialogs.
    void onBoardLayout();
    void onDisplayProperties();
    void onPlayerNames();
    // "Best Results...".
    void onBestResults();

protected:
    bool event(QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    QAction* addCommand(int id, const QString& text, const QString& shortcut,
                        const QString& statusTip, const QString& toolTip, bool checkable);
    void maximizeButtonSize();
    // The frame's decorations as the window system reports them; none until it does.
    QMargins decorations() const;
    void fitFrameOnce();

    GameSettings& settings_;
    // The image set editor remembers where its files were found.
    SettingsStore& store_;
    BoardView* board_ = nullptr;
    GameSession* session_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::map<int, QAction*> actions_;
    // Set while the window manager has yet to report the frame's decorations.
    bool framePending_ = false;
    GameWatch* watch_ = nullptr;
};

} // namespace gemino

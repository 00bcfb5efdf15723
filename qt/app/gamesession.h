#pragma once

#include "core/engine/game.h"
#include "core/engine/random.h"
#include "qt/board/boardview.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/pictureloader.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>

namespace gemino {

struct GameSettings;
struct WindowMetrics;
class SettingsStore;

// Why a custom set was not played: a message box's caption and text.
struct SetProblem {
    QString caption;
    QString text;
};

// The game in play: the engine, the image set it deals from, the one random source, and every
// change of the settings with its write to the store. The board view draws it and passes input
// to it; the main window and the dialogs change it only through the operations below.
class GameSession : public QObject, private BoardInput {
    Q_OBJECT
public:
    GameSession(GameSettings& settings, SettingsStore& store, BoardView& view,
                QObject* parent = nullptr);
    ~GameSession() override;

    // Lays out the board, loads the set the settings name and deals the first game. The
    // pictures of a custom set are decoded once the board has first been painted.
    void initialize();
    // Why the stored custom set could not be played at start-up, once; the set in play is the
    // miscellaneous one then, and the stored choice is kept for the next start.
    std::optional<SetProblem> takeStartupProblem();

    const GameSettings& settings() const { return settings_; }
    const Game& game() const { return game_; }
    const ImageSet& images() const { return images_; }
    // The source of the deal and of the icon library loader; tests set its state here.
    Random& random() { return random_; }
    // True while the engine is resolving a turn, previewing or ending a game.
    bool busy() const { return busy_ > 0; }
    // Images of the set in play still waiting for their pictures.
    int picturesPending() const { return pictures_.pending(); }

    // The game's commands.
    void newGame();
    void toggleTimedGame();
    void showAllImages();
    void useStandardSet(const std::string& name);
    void setNumberPlayers(int players);
    void togglePlaySounds();
    void clearKeyboardSelection();

    // Plays an image set file (any extension but ".icl") or an icon library (".icl"). On success
    // the set replaces the one in play, the settings name the file, the columns are reduced
    // when needed and, unless `atStartup` (the caller deals then), a new game is dealt. When the
    // file cannot be read or holds fewer than 2 usable images, the set in play, the columns and
    // the settings stay, the user is told why (at start-up, once the About box has been shown:
    // see takeStartupProblem) and false returns.
    bool LoadCustomSet(const QString& path, bool atStartup);

    // Sizes the buttons to fill a window with these metrics and stores the size.
    void MaximizeButtonSize(const WindowMetrics& metrics);
    // The board layout: size and spacing follow the dialog's spins at once and are stored when
    // it closes (writeButtonGeometry); the defaults are applied and stored at once; a new
    // number of columns is stored and dealt.
    void setButtonSize(int size);
    void setButtonSpacing(int spacing);
    void useDefaultButtonGeometry();
    void writeButtonGeometry();
    void setColumns(int columns);
    // Reloads every bitmap image at the current button size; each keeps its picture until the
    // new one arrives.
    void ReloadBitmaps();

    // Display Properties: only the values that differ from the settings are stored.
    void setDisplayProperties(bool highlightMatched, bool matcherName, bool imageText,
                              int unmatchedDisplayTime, int matchFlashes);
    // Player Names: both are stored, changed or not.
    void setPlayerNames(const std::string& player1, const std::string& player2);

signals:
    // The game's state or the settings may have changed: command states should follow.
    void stateChanged();
    // Every image of the set in play has its picture, or is known to have none.
    void picturesArrived();
    // A new game has been dealt; sent before the stateChanged() of the deal.
    void dealt();

private:
    // Tests set up positions the rules reach only slowly through it.
    friend struct SessionTestAccess;

    // BoardInput
    void cellChosen(int cell) override;
    bool keyPressed(const KeyPress& key) override;
    void clockTicked() override;

    // Runs an engine operation; ticks that fall due meanwhile are handled once it is over.
    template <typename Operation> void runEngine(Operation&& operation);
    void loadStartupSet();
    bool ReduceColumnsToFit(const QString& message);
    void relayout();

    GameSettings& settings_;
    SettingsStore& store_;
    BoardView& view_;
    Random random_;
    ImageSet images_;
    // Declared after the images, so its requests are dropped before the images go.
    PictureLoader pictures_;
    std::optional<SetProblem> startupProblem_;
    Game game_;
    int busy_ = 0;
    bool tickPending_ = false;
};

} // namespace gemino

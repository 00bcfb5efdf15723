#pragma once

#include "core/board/geometry.h"
#include "core/narration/narrator.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QWidget;

namespace gemino {

struct GameSettings;
class BoardView;
class Game;
class ImageSet;

// The board's news as a notification: an object of its own, so that screen readers that speak
// what a notification says when it is shown hear each piece of news wherever the focus is.
class BoardNews : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};

// What the board tells a screen reader. The board's accessible interface has the cells in play
// as its children, buttons named by their labels ("A-1") whether their buttons are shown or
// hidden, then a "Scoreboard" (the accessible face of this object) and the news notification.
// What happens is told through descriptions: the board's is the latest news, a cell's is what
// it shows, and the focused cell adds the news that came while it had the focus. Each change is
// sent as an accessible event, so the screen reader speaks it as it happens; each piece of news
// also shows the notification again, named by the news.
class BoardAccessibility : public QObject {
    Q_OBJECT
public:
    // Becomes a child of `board`; the game, images and settings are read at each question.
    BoardAccessibility(BoardView& board, const Game& game, const ImageSet& images,
                       const GameSettings& settings);

    // Gives boards, their cells and scoreboards the interfaces of this file. Once per process,
    // before the first board is shown; later calls do nothing.
    static void installFactory();
    // The accessibility of `board`; null when it has none.
    static BoardAccessibility* of(const QObject* board);

    BoardView& board() const { return board_; }
    int cellsInPlay() const;
    // The cell whose button `object` is; -1 for anything else.
    int cellOf(const QObject* object) const;

    QString boardDescription() const;
    // The latest news; empty before the first.
    const QString& news() const { return news_; }
    BoardNews* newsObject() const { return newsObject_; }
    QString scoreboard() const;
    QString cellName(int cell) const;
    // What the cell shows, and for the focused cell the news told since it got the focus.
    QString cellDescription(int cell) const;
    CellFace face(int cell) const;

    // An assistive technology's press chooses the cell, unless the gate is shut: while the game
    // resolves a turn nothing may be chosen, as no click could. Pressing a cell that is not
    // covered tells what it shows.
    void setInputGate(std::function<bool()> open) { inputOpen_ = std::move(open); }
    void press(int cell);

    // Tells `news`: it becomes the board's description (and the focused cell's news), and the
    // description changes are sent.
    void announce(const QString& news);
    // Sends the state and description changes of the cells, and the scoreboard's, since the
    // last refresh.
    void refresh();

private:
    QString pictureOf(int cell) const;
    QString ownDescription(int cell) const;
    void sendDescriptionChanged(QObject* object);

    BoardView& board_;
    const Game& game_;
    const ImageSet& images_;
    const GameSettings& settings_;
    std::function<bool()> inputOpen_;

    BoardNews* newsObject_ = nullptr;
    QString news_;
    // The news told since the focus last moved; a cell that has the focus carries it.
    QString focusNews_;
    std::array<CellFace, kMaxCells> faces_{};
    std::array<QString, kMaxCells> descriptions_;
    QString scoreboard_;
};

} // namespace gemino

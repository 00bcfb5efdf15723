#pragma once

#include "core/narration/narrator.h"
#include "core/records/records.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace gemino {

class BoardAccessibility;
class BoardView;
class GameSession;
class MemorySettingsStore;
class SettingsStore;

// Follows the session's game without changing it: it tells a screen reader what happens on the
// board, and keeps the records of one-player games. It looks at the game after every deal,
// before every wait of the engine and after every operation.
class GameWatch : public QObject {
    Q_OBJECT
public:
    // The records go to `recordStore`, or to a store of this watch's own (kept in memory) when
    // it is null.
    GameWatch(GameSession& session, BoardView& board, SettingsStore* recordStore,
              QObject* parent = nullptr);
    ~GameWatch() override;

    RecordBook& records() { return book_; }
    // Whether the game in play counts for the records, and its misses so far.
    const GameTally& tally() const { return tally_; }

signals:
    // A finished game set a record; the message says which.
    void newRecord(const QString& message);

private:
    void onDealt();
    void onStateChanged();
    // The records' part of the news of a finished game.
    std::string finishGame();

    GameSession& session_;
    std::unique_ptr<MemorySettingsStore> ownStore_;
    RecordBook book_;
    Narrator narrator_;
    GameTally tally_;
    BoardKey board_;
    // A child of the board, which may go first when the window closes.
    QPointer<BoardAccessibility> access_;
};

} // namespace gemino

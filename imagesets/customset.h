#pragma once

#include <QString>

namespace gemino {

class BoardView;

// Plays an image set file (".ims") or an icon library (".icl"). On success the settings name
// the file and a new game is dealt; when the file cannot be played the set in play stays, the
// user is told why (unless `atStartup`, when the caller falls back quietly) and false returns.
bool LoadCustomSet(BoardView& board, const QString& path, bool atStartup);

} // namespace gemino

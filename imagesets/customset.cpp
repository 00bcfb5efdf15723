#include "imagesets/customset.h"

namespace gemino {

// Custom sets are not played yet: the caller falls back to a built-in set.
bool LoadCustomSet(BoardView&, const QString&, bool) {
    return false;
}

} // namespace gemino

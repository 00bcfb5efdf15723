#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace gemino {

// Shows the wait cursor for as long as it lives, over a long operation.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace gemino

#include "qt/app/boardlayoutdialog.h"
#include "qt/app/displaypropertiesdialog.h"
#include "qt/app/gamesession.h"
#include "qt/app/mainwindow.h"
#include "qt/app/playernamesdialog.h"

namespace gemino {

void MainWindow::onBoardLayout() {
    BoardLayoutDialog dialog(*session_, this);
    const int result = dialog.exec();
    applyBoardLayout(*session_, dialog, result);
    updateCommandStates();
}

void MainWindow::onDisplayProperties() {
    DisplayPropertiesDialog dialog(session_->settings(), this);
    const int result = dialog.exec();
    applyDisplayProperties(*session_, dialog, result);
}

void MainWindow::onPlayerNames() {
    PlayerNamesDialog dialog(session_->settings(), this);
    const int result = dialog.exec();
    applyPlayerNames(*session_, dialog, result);
}

} // namespace gemino

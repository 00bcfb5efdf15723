#include "qt/app/boardlayoutdialog.h"
#include "qt/app/displaypropertiesdialog.h"
#include "qt/app/mainwindow.h"
#include "qt/app/playernamesdialog.h"
#include "qt/board/boardview.h"

namespace gemino {

void MainWindow::onBoardLayout() {
    BoardLayoutDialog dialog(*board_, this);
    const int result = dialog.exec();
    applyBoardLayout(*board_, dialog, result);
    updateCommandStates();
}

void MainWindow::onDisplayProperties() {
    DisplayPropertiesDialog dialog(board_->settings(), this);
    const int result = dialog.exec();
    applyDisplayProperties(*board_, dialog, result);
}

void MainWindow::onPlayerNames() {
    PlayerNamesDialog dialog(board_->settings(), this);
    const int result = dialog.exec();
    applyPlayerNames(*board_, dialog, result);
}

} // namespace gemino

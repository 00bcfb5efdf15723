#include "qt/app/boardlayoutdialog.h"
#include "qt/app/displaypropertiesdialog.h"
#include "qt/app/mainwindow.h"
#include "qt/app/playernamesdialog.h"
#include "qt/board/boardview.h"

namespace gemino {

void MainWindow::OnBoardLayout() {
    BoardLayoutDialog dialog(*board_, this);
    const int result = dialog.exec();
    ApplyBoardLayout(*board_, dialog, result);
    UpdateCommandStates();
}

void MainWindow::OnDisplayProperties() {
    DisplayPropertiesDialog dialog(board_->settings(), this);
    const int result = dialog.exec();
    ApplyDisplayProperties(*board_, dialog, result);
}

void MainWindow::OnPlayerNames() {
    PlayerNamesDialog dialog(board_->settings(), this);
    const int result = dialog.exec();
    ApplyPlayerNames(*board_, dialog, result);
}

} // namespace gemino

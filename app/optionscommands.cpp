#include "app/mainwindow.h"

namespace gemino {

// The options dialogs' commands are built with the dialogs themselves.
void MainWindow::OnBoardLayout() {}
void MainWindow::OnDisplayProperties() {}
void MainWindow::OnPlayerNames() {}

} // namespace gemino

#include "app/mainwindow.h"

namespace gemino {

// Custom image sets are played once their loader exists; the editor comes after that.
void MainWindow::OnUseCustomImageSet() {}
void MainWindow::OnCreateCustomImageSet() {}

} // namespace gemino

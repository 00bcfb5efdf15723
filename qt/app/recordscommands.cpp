#include "qt/app/gamewatch.h"
#include "qt/app/mainwindow.h"
#include "qt/app/recordsdialog.h"

namespace gemino {

void MainWindow::onBestResults() {
    RecordsDialog dialog(watch_->records(), this);
    dialog.exec();
}

} // namespace gemino

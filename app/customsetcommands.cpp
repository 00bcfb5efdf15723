#include "app/mainwindow.h"

#include "app/settings.h"
#include "board/boardview.h"
#include "imagesets/customset.h"

#include <QFileDialog>
#include <QStringList>

namespace gemino {

void MainWindow::OnUseCustomImageSet() {
    QFileDialog dialog(this, tr("Open an Image Set"),
                       QString::fromStdString(settings_.startupDirectory));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({tr("Image Sets (*.ims)"), tr("Icon Library Files (*.icl)")});
    dialog.setDefaultSuffix(QStringLiteral("ims"));
    const QString path = RunFileDialog(dialog);
    if (!path.isEmpty()) {
        LoadCustomSet(*board_, path, /*atStartup=*/false);
    }
    // Triggering the action toggled its mark; the mark follows the set in play instead.
    UpdateCommandStates();
}

// The image set editor comes with its own dialog.
void MainWindow::OnCreateCustomImageSet() {}

} // namespace gemino

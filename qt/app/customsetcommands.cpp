#include "qt/app/mainwindow.h"

#include "core/settings/settings.h"
#include "qt/app/gamesession.h"
#include "qt/editor/createimagesetdialog.h"
#include "qt/widgets/prompts.h"

#include <QFileDialog>
#include <QStringList>

namespace gemino {

void MainWindow::onUseCustomImageSet() {
    QFileDialog dialog(this, tr("Open an Image Set"),
                       QString::fromStdString(settings_.startupDirectory));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({tr("Image Sets (*.ims)"), tr("Icon Library Files (*.icl)")});
    dialog.setDefaultSuffix(QStringLiteral("ims"));
    const QString path = runFileDialog(dialog);
    if (!path.isEmpty()) {
        session_->LoadCustomSet(path, /*atStartup=*/false);
    }
    // Triggering the action toggled its mark; the mark follows the set in play instead.
    updateCommandStates();
}

void MainWindow::onCreateCustomImageSet() {
    CreateImageSetDialog dialog(store_, QString::fromStdString(settings_.startupDirectory), this);
    // Only files change: the game and the set in play stay as they are.
    dialog.exec();
}

} // namespace gemino

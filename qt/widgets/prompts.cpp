#include "qt/widgets/prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <utility>

namespace gemino {

namespace {

MessageBoxHook& messageHook() {
    static MessageBoxHook hook;
    return hook;
}

FileDialogHook& dialogHook() {
    static FileDialogHook hook;
    return hook;
}

} // namespace

void setMessageBoxHook(MessageBoxHook hook) {
    messageHook() = std::move(hook);
}

void showMessageBox(QWidget* parent, MessageIcon icon, const QString& caption,
                    const QString& text) {
    if (messageHook()) {
        messageHook()(parent, icon, caption, text);
        return;
    }
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void setFileDialogHook(FileDialogHook hook) {
    dialogHook() = std::move(hook);
}

QString runFileDialog(QFileDialog& dialog) {
    if (dialogHook()) {
        return dialogHook()(dialog);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace gemino

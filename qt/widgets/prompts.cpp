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

MessageAnswer showMessageBox(QWidget* parent, MessageIcon icon, const QString& caption,
                             const QString& text, MessageButtons buttons) {
    if (messageHook()) {
        return messageHook()(parent, icon, caption, text, buttons);
    }
    const QMessageBox::Icon shown = icon == MessageIcon::Critical  ? QMessageBox::Critical
                                    : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(shown, caption, text, QMessageBox::Ok, parent);
    if (buttons == MessageButtons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (buttons == MessageButtons::YesNo) {
        // A question whose Yes cannot be undone: No is the default and what Escape answers.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return MessageAnswer::Cancel;
    }
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

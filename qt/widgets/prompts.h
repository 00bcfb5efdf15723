#pragma once

#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

// Message boxes and file dialogs go through these, so tests can answer them without a modal
// loop. An empty hook restores the real dialog.
namespace gemino {

enum class MessageIcon { Information, Warning };
using MessageBoxHook = std::function<void(QWidget* parent, MessageIcon icon, const QString& caption,
                                          const QString& text)>;
void setMessageBoxHook(MessageBoxHook hook);
void showMessageBox(QWidget* parent, MessageIcon icon, const QString& caption, const QString& text);

// Returns the chosen file, or an empty string when the dialog was cancelled.
using FileDialogHook = std::function<QString(QFileDialog& dialog)>;
void setFileDialogHook(FileDialogHook hook);
QString runFileDialog(QFileDialog& dialog);

} // namespace gemino

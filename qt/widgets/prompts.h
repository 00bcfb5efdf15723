#pragma once

#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

// Message boxes and file dialogs go through these, so tests can answer them without a modal
// loop. An empty hook restores the real dialog.
namespace gemino {

enum class MessageIcon { Information, Warning, Critical };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
// The button pressed; a question closed with Escape or its close box answers Cancel.
enum class MessageAnswer { Ok, Yes, No, Cancel };
using MessageBoxHook =
    std::function<MessageAnswer(QWidget* parent, MessageIcon icon, const QString& caption,
                                const QString& text, MessageButtons buttons)>;
void setMessageBoxHook(MessageBoxHook hook);
MessageAnswer showMessageBox(QWidget* parent, MessageIcon icon, const QString& caption,
                             const QString& text, MessageButtons buttons = MessageButtons::Ok);

// Returns the chosen file, or an empty string when the dialog was cancelled.
using FileDialogHook = std::function<QString(QFileDialog& dialog)>;
void setFileDialogHook(FileDialogHook hook);
QString runFileDialog(QFileDialog& dialog);

} // namespace gemino

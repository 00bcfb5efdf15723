#pragma once

#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

namespace gemino {

class BoardView;
class ImageSet;
class Random;

// What a loader made of a file.
struct SetLoad {
    int count = 0; // images put into the set
    QString error; // why the file could not be read; empty when it was read to its end

    bool ok() const { return error.isEmpty(); }
};

// Fills `images` (released first) from an image set file, in file order. Entries whose
// source is missing or is not a regular file are skipped; the others give an image even when
// no picture can be made of them. Sources with a picture extension (bmp, jpg, jpeg, png, gif,
// svg, svgz) are pictures loaded at `buttonSize`, all others icons taken by index. Of more than
// 20 usable entries a random 20 are kept, still in file order.
SetLoad LoadImageSetFile(ImageSet& images, const QString& path, int buttonSize, Random& random);
// Fills `images` (released first) with a random min(n, 20) of the n icons of a file; nothing
// when n is below 2.
SetLoad LoadIconLibrary(ImageSet& images, const QString& path, Random& random);
// Reduces the board's columns to what the set in play can fill, stores the new count, lays the
// board out again and tells the user `message`. False when the columns already fit.
bool ReduceColumnsToFit(BoardView& board, const QString& message);

// Whether a path is played as an icon library: its extension is "icl" in any case.
bool isIconLibraryPath(const QString& path);

// Plays an image set file (".ims", or any extension but ".icl") or an icon library (".icl").
// On success the set replaces the one in play, the settings name the file, the columns are
// reduced when needed and, unless `atStartup` (the caller deals then), a new game is dealt.
// When the file cannot be read or holds fewer than 2 images the set in play, the columns and
// the settings stay, the user is told why (unless `atStartup`, when the caller falls back
// quietly) and false returns.
bool LoadCustomSet(BoardView& board, const QString& path, bool atStartup);

// Message boxes and file dialogs of the image set commands go through these, so tests can
// answer them without a modal loop. An empty hook restores the real dialog.
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

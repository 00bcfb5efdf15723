#include "qt/editor/createimagesetdialog.h"

#include "core/imagesets/imagedescription.h"
#include "core/imagesets/imagesource.h"
#include "qt/editor/editorlist.h"
#include "qt/imagesets/customset.h"
#include "qt/platform/picturefile.h"
#include "qt/widgets/prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace gemino {

namespace {

// The dialog's size and font, in the dialog units its controls are placed in.
constexpr int kWidthUnits = 453;
constexpr int kHeightUnits = 258;

QString native(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

// An item whose picture could not be made keeps its place and can still be clicked.
QIcon itemIcon(const EditorPictureHandle& picture) {
    QPixmap pixmap = pictureOf(picture);
    if (pixmap.isNull()) {
        pixmap = QPixmap(kEditorImageSide, kEditorImageSide);
        pixmap.fill(Qt::transparent);
    }
    return QIcon(pixmap);
}

// The items show pictures only; a screen reader hears what `describeFileImage` says of them.
QString describedItem(const std::string& text, const std::string& path, int index) {
    return QString::fromStdString(
        describeFileImage(text, path, isPictureSource(path) ? -1 : index));
}

QListWidgetItem* newItem(const EditorPictureHandle& picture, const std::string& text,
                         const std::string& path, int index) {
    auto* item = new QListWidgetItem(itemIcon(picture), QString());
    item->setData(Qt::AccessibleTextRole, describedItem(text, path, index));
    return item;
}

QListWidgetItem* newItem(const EditorEntry& entry) {
    return newItem(entry.picture, entry.text, entry.path, entry.index);
}

QString saveProblem(const ImsSaveResult& save) {
    const QString detail = QString::fromStdString(save.detail);
    const auto withDetail = [&detail](const QString& sentence) {
        return detail.isEmpty() ? sentence + QLatin1Char('.')
                                : sentence + QStringLiteral(": ") + detail + QLatin1Char('.');
    };
    switch (save.status) {
    case ImsSaveStatus::Ok:
        return {};
    case ImsSaveStatus::UnwritableEntry:
        return QObject::tr("One of its file names holds a line break, which an image set file "
                           "cannot hold.");
    case ImsSaveStatus::CannotCreate:
        return withDetail(QObject::tr("No file can be created in its folder"));
    case ImsSaveStatus::WriteFailed:
        return withDetail(QObject::tr("Writing it failed"));
    case ImsSaveStatus::CannotReplace:
        return withDetail(QObject::tr("The file of that name could not be replaced"));
    case ImsSaveStatus::Interrupted:
        return QObject::tr("Saving it was interrupted.");
    }
    return {};
}

QString chooseSetFile(QWidget* parent, const QString& title, const std::string& startFolder,
                      QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, title, QString::fromStdString(startFolder));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(QObject::tr("Image Sets (*.ims)"));
    dialog.setDefaultSuffix(QStringLiteral("ims"));
    return runFileDialog(dialog);
}

} // namespace

CreateImageSetDialog::CreateImageSetDialog(SettingsStore& store, const QString& startupDirectory,
                                           QWidget* parent)
    : QDialog(parent), editor_(pictures_, *this, *this, store, startupDirectory.toStdString()),
      units_(DialogUnits::dialogFont()) {
    units_.prepareDialog(this, 180, QStringLiteral(" Create a Custom Image Set"), kWidthUnits,
                         kHeightUnits);

    addLabel(tr("Images In:"), 10, 9, 54, 12, false);
    sourceTitle_ = addField(1254, 75, 8, 117, 14);
    sourceTitle_->setReadOnly(true);
    sourceTitle_->setAccessibleName(tr("Images In"));
    addLabel(tr("Select Images from Files and in Folders"), 10, 28, 182, 12, true);
    sourceList_ =
        place(new EditorList(QAbstractItemView::ExtendedSelection, this), 1115, 10, 42, 182, 150);
    sourceList_->setAccessibleName(tr("Select Images from Files and in Folders"));
    connect(addButton(5, tr("Files..."), 35, 196, 41, 14), &QPushButton::clicked, this,
            [this] { editor_.chooseSourceFile(); });
    connect(addButton(9, tr("Folders..."), 117, 196, 41, 14), &QPushButton::clicked, this,
            [this] { editor_.chooseSourceFolder(); });

    add_ = addButton(3, QStringLiteral("----->"), 202, 110, 50, 14);
    add_->setAccessibleName(tr("Add to the image set"));
    connect(addButton(2, tr("&Cancel"), 202, 178, 50, 14), &QPushButton::clicked, this,
            &CreateImageSetDialog::reject);
    connect(addButton(8, tr("&New..."), 202, 220, 50, 14), &QPushButton::clicked, this,
            [this] { editor_.newSet(); });

    addLabel(tr("Image Set Name:"), 261, 9, 54, 12, false);
    setName_ = addField(1255, 326, 8, 117, 14);
    setName_->setReadOnly(true);
    setName_->setAccessibleName(tr("Image Set Name"));
    addLabel(tr("Images in the Image Set"), 261, 28, 182, 12, true);
    setList_ =
        place(new EditorList(QAbstractItemView::SingleSelection, this), 1114, 261, 42, 182, 150);
    setList_->setAccessibleName(tr("Images in the Image Set"));
    addLabel(tr("Image Text"), 262, 196, 41, 15, false);
    imageText_ = addField(1014, 307, 196, 102, 15);
    imageText_->setAccessibleName(tr("Image Text"));
    setText_ = addButton(12, tr("Set"), 413, 196, 30, 15);
    connect(addButton(13, tr("Save &As..."), 267, 220, 50, 14), &QPushButton::clicked, this,
            [this] { editor_.saveAs(); });
    save_ = addButton(10, tr("&Save"), 330, 220, 50, 14);
    connect(addButton(11, tr("&Open..."), 393, 220, 50, 14), &QPushButton::clicked, this,
            [this] { editor_.open(); });
    delete_ = addButton(4, tr("Delete"), 267, 238, 50, 14);
    moveUp_ = addButton(6, tr("Move &Up"), 330, 238, 50, 14);
    moveDown_ = addButton(7, tr("Move &Down"), 393, 238, 50, 14);

    connect(add_, &QPushButton::clicked, this, [this] {
        std::vector<int> selected;
        for (const QListWidgetItem* item : sourceList_->selectedItems()) {
            selected.push_back(sourceList_->row(item));
        }
        editor_.addToSet(std::move(selected));
        setList_->scrollToBottom();
    });
    connect(save_, &QPushButton::clicked, this, [this] { editor_.save(); });
    connect(delete_, &QPushButton::clicked, this, [this] { editor_.deleteEntry(); });
    connect(moveUp_, &QPushButton::clicked, this, [this] { editor_.moveUp(); });
    connect(moveDown_, &QPushButton::clicked, this, [this] { editor_.moveDown(); });
    connect(setText_, &QPushButton::clicked, this, [this] {
        editor_.setText(imageText_->text().toStdString());
        const int selected = editor_.selectedEntry();
        if (selected >= 0) {
            // The new text is what the item is now told by.
            const EditorEntry& entry = editor_.entries()[static_cast<std::size_t>(selected)];
            setList_->item(selected)->setData(Qt::AccessibleTextRole,
                                              describedItem(entry.text, entry.path, entry.index));
        }
    });
    // Return in the text field gives the text, as "Set" does; it never ends the editor.
    connect(imageText_, &QLineEdit::returnPressed, setText_, [this] {
        if (setText_->isEnabled()) {
            setText_->click();
        }
    });
    connect(sourceList_, &EditorList::itemPicked, this,
            [this](int row) { editor_.clickSourceList(row); });
    connect(setList_, &EditorList::itemPicked, this, [this](int row) {
        editor_.clickSetList(row);
        if (editor_.selectedEntry() >= 0) {
            imageText_->setText(QString::fromStdString(editor_.imageText()));
        }
    });

    editor_.opening();
}

CreateImageSetDialog::~CreateImageSetDialog() = default;

void CreateImageSetDialog::reject() {
    if (editor_.close()) {
        QDialog::reject();
    }
}

template <typename Control>
Control* CreateImageSetDialog::place(Control* control, int id, int x, int y, int width,
                                     int height) {
    control->setObjectName(QString::number(id));
    units_.place(control, x, y, width, height);
    return control;
}

QPushButton* CreateImageSetDialog::addButton(int id, const QString& text, int x, int y, int width,
                                             int height) {
    auto* button = place(new QPushButton(text, this), id, x, y, width, height);
    // No button is pressed by Return: the editor has no OK.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* CreateImageSetDialog::addField(int id, int x, int y, int width, int height) {
    return place(new QLineEdit(this), id, x, y, width, height);
}

void CreateImageSetDialog::addLabel(const QString& text, int x, int y, int width, int height,
                                    bool centred) {
    auto* label = place(new QLabel(text, this), -1, x, y, width, height);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    // Fonts that stand in for the dialog font run wider; the labels have room to their right.
    if (!centred) {
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    }
}

void CreateImageSetDialog::showSelectedEntry() {
    const int selected = editor_.selectedEntry();
    if (selected < 0) {
        setList_->clearSelection();
        return;
    }
    setList_->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    setList_->scrollToItem(setList_->item(selected));
}

void CreateImageSetDialog::sourceListFilled() {
    sourceList_->setUpdatesEnabled(false);
    sourceList_->clear();
    const std::vector<EditorPictureHandle>& pictures = editor_.sourcePictures();
    for (std::size_t k = 0; k < pictures.size(); ++k) {
        const bool folder = editor_.sourceKind() == SourceKind::Folder;
        const std::string& path = folder ? editor_.folderFiles()[k] : editor_.sourcePath();
        sourceList_->addItem(newItem(pictures[k], {}, path, folder ? -1 : static_cast<int>(k)));
    }
    sourceList_->setUpdatesEnabled(true);
    sourceTitle_->setText(native(editor_.sourceTitle()));
}

void CreateImageSetDialog::setListCleared() {
    setList_->clear();
}

void CreateImageSetDialog::entryAppended(int index) {
    setList_->insertItem(index, newItem(editor_.entries()[static_cast<std::size_t>(index)]));
}

void CreateImageSetDialog::entryRemoved(int index) {
    delete setList_->takeItem(index);
    showSelectedEntry();
}

void CreateImageSetDialog::entriesSwapped(int from, int to) {
    setList_->insertItem(to, setList_->takeItem(from));
    showSelectedEntry();
    setList_->setFocus();
}

void CreateImageSetDialog::showSetName(const std::string& name) {
    setName_->setText(QString::fromStdString(name));
}

void CreateImageSetDialog::showButtons(const EditorButtons& buttons) {
    add_->setEnabled(buttons.add);
    save_->setEnabled(buttons.save);
    setText_->setEnabled(buttons.setText);
    delete_->setEnabled(buttons.remove);
    moveUp_->setEnabled(buttons.moveUp);
    moveDown_->setEnabled(buttons.moveDown);
}

void CreateImageSetDialog::longWork(bool running) {
    if (running && longWork_++ == 0) {
        waitCursor_.emplace();
    } else if (!running && --longWork_ == 0) {
        waitCursor_.reset();
    }
}

std::string CreateImageSetDialog::chooseSourceFile(const std::string& startFolder,
                                                   int filterIndex) {
    QFileDialog dialog(this, tr("Select a File Containing Images (Icons or Bitmaps)"),
                       QString::fromStdString(startFolder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The first six keep their places, so remembered extensions find them; the pictures this
    // program also reads come after them.
    const QStringList filters = {
        tr("Executable Files (*.exe)"),
        tr("DLL Files (*.dll)"),
        tr("Icon Files (*.ico)"),
        tr("Icon Library Files (*.icl)"),
        tr("Bitmap Files (*.bmp)"),
        tr("Jpeg Files (*.jpg)"),
        tr("Pictures (*.png *.svg *.svgz *.gif *.jpeg)"),
        tr("All image sources (*.exe *.dll *.ico *.icl *.bmp *.jpg *.jpeg *.png *.gif *.svg "
           "*.svgz)"),
    };
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterIndex - 1, filters.constFirst()));
    dialog.setDefaultSuffix(QStringLiteral("exe"));
    return runFileDialog(dialog).toStdString();
}

std::string CreateImageSetDialog::chooseSourceFolder() {
    QFileDialog dialog(this, tr("Select a Folder Containing Images"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return runFileDialog(dialog).toStdString();
}

std::string CreateImageSetDialog::chooseSetFileToSave(const std::string& startFolder) {
    return chooseSetFile(this, tr("Save an Image Set"), startFolder, QFileDialog::AcceptSave)
        .toStdString();
}

std::string CreateImageSetDialog::chooseSetFileToOpen(const std::string& startFolder) {
    return chooseSetFile(this, tr("Open an Image Set"), startFolder, QFileDialog::AcceptOpen)
        .toStdString();
}

SaveFirstAnswer CreateImageSetDialog::askSaveFirst(SaveFirstReason reason) {
    QString text;
    switch (reason) {
    case SaveFirstReason::New:
        text = tr("The image set that you are editing has changed. Do you want to save it before "
                  "creating a new image set?");
        break;
    case SaveFirstReason::Open:
        text = tr("The image set that you are editing has changed. Do you want to save it before "
                  "opening another image set?");
        break;
    case SaveFirstReason::Close:
        text = tr("The image set that you are editing has changed. Do you want to save it before "
                  "exiting?");
        break;
    }
    switch (showMessageBox(this, MessageIcon::Warning, tr("Save Image Set?"), text,
                           MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
        return SaveFirstAnswer::Yes;
    case MessageAnswer::No:
        return SaveFirstAnswer::No;
    case MessageAnswer::Ok:
    case MessageAnswer::Cancel:
        break;
    }
    return SaveFirstAnswer::Cancel;
}

void CreateImageSetDialog::reportNoIcons(const std::string& file) {
    showMessageBox(
        this, MessageIcon::Critical, tr("No Icons in File"),
        tr("The selected file does not contain any icons\n\nFile:  %1").arg(native(file)));
}

void CreateImageSetDialog::reportNoImageFiles(const std::string& folder) {
    showMessageBox(this, MessageIcon::Critical, tr("No Image Files in Folder"),
                   tr("The selected folder does not contain any image files\n\nFolder:  %1")
                       .arg(native(folder)));
}

void CreateImageSetDialog::reportReadFailure(const std::string& file, const ImsReadResult& read) {
    const QString path = QString::fromStdString(file);
    showMessageBox(this, MessageIcon::Warning, tr("Image Set Not Opened"),
                   tr("Gemino could not read the image set\n%1\n\n%2\n\nThe image set you are "
                      "editing is kept as it was.")
                       .arg(QDir::toNativeSeparators(path), imsReadProblem(read, path)));
}

void CreateImageSetDialog::reportSaveFailure(const std::string& file, const ImsSaveResult& save) {
    showMessageBox(this, MessageIcon::Warning, tr("Image Set Not Saved"),
                   tr("Gemino could not save the image set\n%1\n\n%2\n\nNo file was changed, and "
                      "the image set you are editing is kept as it was.")
                       .arg(native(file), saveProblem(save)));
}

} // namespace gemino

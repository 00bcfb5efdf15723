#pragma once

#include "core/editor/imageseteditor.h"
#include "qt/editor/editorpictures.h"
#include "qt/platform/waitcursor.h"
#include "qt/widgets/dialogunits.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

namespace gemino {

class EditorList;
class SettingsStore;

// The image set editor: a source list filled from a file or a folder, the set list built from
// it, and the buttons that edit, save and open sets. Its logic is ImageSetEditor's; this is
// its window. Nothing about the game in play changes when it closes.
class CreateImageSetDialog final : public QDialog, private EditorView, private EditorDialogs {
    Q_OBJECT
public:
    // Set files are opened and saved from `startupDirectory` on.
    CreateImageSetDialog(SettingsStore& store, const QString& startupDirectory,
                         QWidget* parent = nullptr);
    ~CreateImageSetDialog() override;

    ImageSetEditor& editor() { return editor_; }

    // "&Cancel", Escape and the close box: offers to save a changed set first, and stays open
    // when that is cancelled or the save fails.
    void reject() override;

private:
    template <typename Control>
    Control* place(Control* control, int id, int x, int y, int width, int height);
    QPushButton* addButton(int id, const QString& text, int x, int y, int width, int height);
    QLineEdit* addField(int id, int x, int y, int width, int height);
    void addLabel(const QString& text, int x, int y, int width, int height, bool centred);
    void showSelectedEntry();

    // EditorView
    void sourceListFilled() override;
    void setListCleared() override;
    void entryAppended(int index) override;
    void entryRemoved(int index) override;
    void entriesSwapped(int from, int to) override;
    void showSetName(const std::string& name) override;
    void showButtons(const EditorButtons& buttons) override;
    void longWork(bool running) override;

    // EditorDialogs
    std::string chooseSourceFile(const std::string& startFolder, int filterIndex) override;
    std::string chooseSourceFolder() override;
    std::string chooseSetFileToSave(const std::string& startFolder) override;
    std::string chooseSetFileToOpen(const std::string& startFolder) override;
    SaveFirstAnswer askSaveFirst(SaveFirstReason reason) override;
    void reportNoIcons(const std::string& file) override;
    void reportNoImageFiles(const std::string& folder) override;
    void reportReadFailure(const std::string& file, const ImsReadResult& read) override;
    void reportSaveFailure(const std::string& file, const ImsSaveResult& save) override;

    PixmapPictures pictures_;
    ImageSetEditor editor_;
    DialogUnits units_;
    QLineEdit* sourceTitle_ = nullptr;
    QLineEdit* setName_ = nullptr;
    QLineEdit* imageText_ = nullptr;
    EditorList* sourceList_ = nullptr;
    EditorList* setList_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* setText_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* moveUp_ = nullptr;
    QPushButton* moveDown_ = nullptr;
    int longWork_ = 0;
    std::optional<WaitCursor> waitCursor_;
};

} // namespace gemino

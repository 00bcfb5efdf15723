#pragma once

#include "core/imagesets/imsformat.h"

#include <memory>
#include <string>
#include <vector>

// The image set editor without its windows: the set being built, the source list it is built
// from, and every operation of the editor's buttons and lists. What it needs from outside
// (pictures, the user's choices and answers, a place to show what changed) comes in through
// the three small interfaces below.
namespace gemino {

class SettingsStore;

// A picture made for an item of one of the editor's lists. The editor only keeps it with its
// item; what it holds is the presentation's business.
class EditorPicture {
public:
    virtual ~EditorPicture() = default;
};
// Null when no picture could be made: the item stays, shown without one.
using EditorPictureHandle = std::shared_ptr<const EditorPicture>;

// Counting and making pictures. A file is one picture or a file of icons as isPictureSource
// tells.
class EditorPictures {
public:
    virtual ~EditorPictures() = default;
    virtual int iconCount(const std::string& path) = 0;
    // One handle per icon of the file, read in one pass: entry k is icon k.
    virtual std::vector<EditorPictureHandle> fileIcons(const std::string& path) = 0;
    // The picture of a picture file, or icon `index` of any other file.
    virtual EditorPictureHandle picture(const std::string& path, int index) = 0;
};

// Why the set is to be saved before the operation goes on.
enum class SaveFirstReason { New, Open, Close };
enum class SaveFirstAnswer { Yes, No, Cancel };

// What the editor asks of the user. A chooser returns an empty path when it is cancelled.
class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;
    // `filterIndex` is the 1-based file type the chooser starts with; an empty `startFolder`
    // leaves the folder to the chooser.
    virtual std::string chooseSourceFile(const std::string& startFolder, int filterIndex) = 0;
    virtual std::string chooseSourceFolder() = 0;
    virtual std::string chooseSetFileToSave(const std::string& startFolder) = 0;
    virtual std::string chooseSetFileToOpen(const std::string& startFolder) = 0;
    virtual SaveFirstAnswer askSaveFirst(SaveFirstReason reason) = 0;
    virtual void reportNoIcons(const std::string& file) = 0;
    virtual void reportNoImageFiles(const std::string& folder) = 0;
    virtual void reportReadFailure(const std::string& file, const ImsReadResult& read) = 0;
    virtual void reportSaveFailure(const std::string& file, const ImsSaveResult& save) = 0;
};

// The six buttons whose state follows the editor's state.
struct EditorButtons {
    bool add = false; // "----->"
    bool save = false;
    bool setText = false;
    bool remove = false;
    bool moveUp = false;
    bool moveDown = false;

    bool operator==(const EditorButtons&) const = default;
};

// The presentation, told of each change as it happens.
class EditorView {
public:
    virtual ~EditorView() = default;
    // The source list holds new items, and its title is new.
    virtual void sourceListFilled() = 0;
    virtual void setListCleared() = 0;
    virtual void entryAppended(int index) = 0;
    virtual void entryRemoved(int index) = 0;
    // Entries `from` and `to` changed places; `to` is the selected entry now.
    virtual void entriesSwapped(int from, int to) = 0;
    virtual void showSetName(const std::string& name) = 0;
    virtual void showButtons(const EditorButtons& buttons) = 0;
    // Long work (filling a list, reading or writing a set) begins or ends.
    virtual void longWork(bool running) = 0;
};

// One image of the set: where its picture comes from, its text, and the picture itself.
struct EditorEntry {
    std::string path; // the file that holds the image
    int index = 0;    // icon index in that file; 0 for a picture file and an icon file
    std::string text; // empty for none
    EditorPictureHandle picture;
};

enum class SourceKind { File, Folder };

class ImageSetEditor {
public:
    // `startupDirectory` is where the set file choosers start.
    ImageSetEditor(EditorPictures& pictures, EditorDialogs& dialogs, EditorView& view,
                   SettingsStore& store, std::string startupDirectory);

    // Every run of the editor begins with an empty, unnamed, unchanged set.
    void opening();

    // "Files..." and "Folders...".
    void chooseSourceFile();
    void chooseSourceFolder();
    // "----->": copies the given source items (the ones selected in the source list) in
    // ascending order, but only after an item of the source list was picked.
    void addToSet(std::vector<int> selectedSourceItems);
    void deleteEntry();
    void moveUp();
    void moveDown();
    void setText(const std::string& text);
    // Each of the two returns whether the set was written.
    bool save();
    bool saveAs();
    void open();
    void newSet();
    // Offers to save a changed set; false when the editor must stay open.
    bool close();
    // A click, or a move of the current item by keyboard; -1 for none.
    void clickSourceList(int item);
    void clickSetList(int item);

    // The steps the operations are made of.
    int ScanFolder(const std::string& folder);
    void LoadSource(const std::string& path);
    void AddEntry();                  // the chosen source item
    void AddEntry(EditorEntry entry); // an entry read from a set file
    void ClearSet();
    void ClearEntries();
    ImsSaveResult WriteImageSet(const std::string& path) const;
    void UpdateButtons();

    // The file type a file chooser starts with for a remembered extension.
    static int initialFilterIndex(const std::string& extension);

    const std::vector<EditorEntry>& entries() const { return entries_; }
    const std::vector<EditorPictureHandle>& sourcePictures() const { return sourcePictures_; }
    const std::vector<std::string>& folderFiles() const { return folderFiles_; }
    int chosenSourceItem() const { return chosenSourceItem_; }
    int selectedEntry() const { return selectedEntry_; }
    bool changed() const { return changed_; }
    const std::string& setFilePath() const { return setFilePath_; }
    const std::string& setName() const { return setName_; }
    const std::string& sourcePath() const { return sourcePath_; }
    SourceKind sourceKind() const { return sourceKind_; }
    // What "Images In:" shows: a folder's path, or a file's title.
    const std::string& sourceTitle() const { return sourceTitle_; }
    const std::string& imageText() const { return imageText_; }
    const EditorButtons& buttons() const { return buttons_; }

private:
    // The save-first prompt: false when the calling operation must stop.
    bool saveFirst(SaveFirstReason reason);
    bool write(const std::string& path);
    void move(int to);
    void nameSet(std::string path);

    EditorPictures& pictures_;
    EditorDialogs& dialogs_;
    EditorView& view_;
    SettingsStore& store_;
    std::string startupDirectory_;

    std::vector<EditorEntry> entries_;
    std::vector<EditorPictureHandle> sourcePictures_;
    std::vector<std::string> folderFiles_;
    int chosenSourceItem_ = -1;
    int selectedEntry_ = -1;
    bool changed_ = false;
    std::string setFilePath_;
    std::string setName_;
    std::string sourcePath_;
    SourceKind sourceKind_ = SourceKind::File;
    std::string sourceTitle_;
    std::string imageText_;
    EditorButtons buttons_;
};

} // namespace gemino

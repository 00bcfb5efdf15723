#include "core/editor/imageseteditor.h"

#include "core/imagesets/imagesource.h"
#include "core/paths/pathutil.h"
#include "core/settings/settings.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace gemino {

namespace {

// The file types of the source file chooser: the first five by their own extension, all the
// pictures beyond bitmaps and JPEG files as one type after the sixth.
constexpr const char* kFilterWords = "exe dll ico icl bmp";
constexpr const char* kPictureWords = "png svg svgz gif jpeg";
constexpr int kPicturesFilter = 7;

// Where a file of a folder is listed: icon files first (0), then the pictures in the order of
// kPictureExtensions, bitmaps first; none for other files.
std::optional<std::size_t> folderRank(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return std::nullopt;
    }
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    if (pathutil::equalsIgnoringCase(extension, "ico")) {
        return 0;
    }
    const auto found = std::find_if(kPictureExtensions.begin(), kPictureExtensions.end(),
                                    [extension](std::string_view known) {
                                        return pathutil::equalsIgnoringCase(extension, known);
                                    });
    if (found == kPictureExtensions.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - kPictureExtensions.begin()) + 1;
}

bool inRange(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

class LongWork {
public:
    explicit LongWork(EditorView& view) : view_(view) { view_.longWork(true); }
    ~LongWork() { view_.longWork(false); }
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

private:
    EditorView& view_;
};

} // namespace

ImageSetEditor::ImageSetEditor(EditorPictures& pictures, EditorDialogs& dialogs, EditorView& view,
                               SettingsStore& store, std::string startupDirectory)
    : pictures_(pictures), dialogs_(dialogs), view_(view), store_(store),
      startupDirectory_(std::move(startupDirectory)) {}

void ImageSetEditor::opening() {
    setFilePath_.clear();
    changed_ = false;
    chosenSourceItem_ = -1;
    selectedEntry_ = -1;
    ClearEntries();
    ClearSet();
    UpdateButtons();
}

int ImageSetEditor::initialFilterIndex(const std::string& extension) {
    if (const int index = pathutil::FindWordIndex(kFilterWords, extension); index > 0) {
        return index;
    }
    // "jpg" is not among the words: a remembered JPEG file starts with the first type.
    return pathutil::FindWordIndex(kPictureWords, extension) > 0 ? kPicturesFilter : 1;
}

void ImageSetEditor::chooseSourceFile() {
    std::string startFolder = store_.ReadString(key::BrowseFileDir, std::string());
    if (!startFolder.empty() && !pathutil::PathExists(startFolder, std::string())) {
        startFolder.clear();
    }
    const int filter = initialFilterIndex(store_.ReadString(key::BrowseFileFilter, std::string()));
    const std::string path = dialogs_.chooseSourceFile(startFolder, filter);
    if (path.empty()) {
        return;
    }
    const std::string extension = pathutil::GetPathExtension(path);
    const std::string folder = pathutil::GetPathFolder(path);
    if (!isPictureSource(path) && pictures_.iconCount(path) == 0) {
        dialogs_.reportNoIcons(path);
    }
    sourceKind_ = SourceKind::File;
    LoadSource(path);
    store_.WriteString(key::BrowseFileDir, folder);
    store_.WriteString(key::BrowseFileFilter, extension);
}

void ImageSetEditor::chooseSourceFolder() {
    const std::string folder = dialogs_.chooseSourceFolder();
    if (folder.empty()) {
        return;
    }
    if (ScanFolder(folder) == 0) {
        dialogs_.reportNoImageFiles(folder);
    }
    sourceKind_ = SourceKind::Folder;
    LoadSource(folder);
}

int ImageSetEditor::ScanFolder(const std::string& folder) {
    folderFiles_.clear();
    std::vector<std::pair<std::size_t, std::string>> found;
    std::error_code ec;
    for (fs::directory_iterator it(pathutil::toFsPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::optional<std::size_t> rank =
            folderRank(pathutil::fromFsPath(it->path().filename()));
        // A folder or a device named like a picture is not one; a link counts as its target.
        std::error_code statusError;
        if (rank && it->is_regular_file(statusError)) {
            found.emplace_back(*rank, pathutil::fromFsPath(it->path()));
        }
    }
    // The enumeration's own order differs between file systems; name order does not.
    std::sort(found.begin(), found.end());
    folderFiles_.reserve(found.size());
    for (auto& [rank, path] : found) {
        folderFiles_.push_back(std::move(path));
    }
    return static_cast<int>(folderFiles_.size());
}

void ImageSetEditor::LoadSource(const std::string& path) {
    chosenSourceItem_ = -1;
    {
        const LongWork busy(view_);
        sourcePictures_.clear();
        if (sourceKind_ == SourceKind::Folder) {
            ScanFolder(path);
            sourcePictures_.reserve(folderFiles_.size());
            for (const std::string& file : folderFiles_) {
                sourcePictures_.push_back(pictures_.picture(file, 0));
            }
        } else if (isPictureSource(path)) {
            // One item even when the picture cannot be read.
            sourcePictures_.push_back(pictures_.picture(path, 0));
        } else {
            sourcePictures_ = pictures_.fileIcons(path);
        }
        sourcePath_ = path;
        // A drive root is neither a folder path nor a titled file: the title stays empty.
        sourceTitle_ = pathutil::IsFolderPath(path) ? path : pathutil::GetPathTitle(path);
        view_.sourceListFilled();
    }
}

void ImageSetEditor::addToSet(std::vector<int> selectedSourceItems) {
    if (chosenSourceItem_ >= 0) {
        std::sort(selectedSourceItems.begin(), selectedSourceItems.end());
        selectedSourceItems.erase(
            std::unique(selectedSourceItems.begin(), selectedSourceItems.end()),
            selectedSourceItems.end());
        for (const int item : selectedSourceItems) {
            if (inRange(item, sourcePictures_.size())) {
                chosenSourceItem_ = item;
                AddEntry();
                changed_ = true;
            }
        }
    }
    chosenSourceItem_ = -1;
    UpdateButtons();
}

void ImageSetEditor::AddEntry() {
    const auto item = static_cast<std::size_t>(chosenSourceItem_);
    EditorEntry entry;
    if (sourceKind_ == SourceKind::Folder) {
        entry.path = folderFiles_[item];
        entry.index = 0;
    } else {
        entry.path = sourcePath_;
        entry.index = chosenSourceItem_;
    }
    // The source item's picture is the entry's: made once, when the source was loaded.
    entry.picture = sourcePictures_[item];
    AddEntry(std::move(entry));
}

void ImageSetEditor::AddEntry(EditorEntry entry) {
    entries_.push_back(std::move(entry));
    view_.entryAppended(static_cast<int>(entries_.size()) - 1);
}

void ImageSetEditor::deleteEntry() {
    if (selectedEntry_ < 0) {
        return;
    }
    const int deleted = selectedEntry_;
    entries_.erase(entries_.begin() + deleted);
    changed_ = true;
    // The entry that moves into the deleted one's place becomes the selected one.
    if (!inRange(deleted, entries_.size())) {
        selectedEntry_ = -1;
    }
    view_.entryRemoved(deleted);
    UpdateButtons();
}

void ImageSetEditor::moveUp() {
    if (selectedEntry_ > 0) {
        move(selectedEntry_ - 1);
    }
}

void ImageSetEditor::moveDown() {
    if (selectedEntry_ >= 0 && inRange(selectedEntry_ + 1, entries_.size())) {
        move(selectedEntry_ + 1);
    }
}

void ImageSetEditor::move(int to) {
    const int from = selectedEntry_;
    // The pictures travel inside the entries, so no item ever shows another's picture.
    std::swap(entries_[static_cast<std::size_t>(from)], entries_[static_cast<std::size_t>(to)]);
    selectedEntry_ = to;
    changed_ = true;
    view_.entriesSwapped(from, to);
    UpdateButtons();
}

void ImageSetEditor::setText(const std::string& text) {
    if (selectedEntry_ < 0) {
        return;
    }
    imageText_ = text;
    entries_[static_cast<std::size_t>(selectedEntry_)].text = imageText_;
    changed_ = true;
    UpdateButtons();
}

bool ImageSetEditor::save() {
    if (setFilePath_.empty() || !write(setFilePath_)) {
        return false;
    }
    changed_ = false;
    UpdateButtons();
    return true;
}

bool ImageSetEditor::saveAs() {
    const std::string path = dialogs_.chooseSetFileToSave(startupDirectory_);
    // A set that cannot be written keeps its old name, so its next Save goes where it did.
    if (path.empty() || !write(path)) {
        return false;
    }
    nameSet(path);
    changed_ = false;
    UpdateButtons();
    return true;
}

bool ImageSetEditor::write(const std::string& path) {
    ImsSaveResult result;
    {
        const LongWork busy(view_);
        result = WriteImageSet(path);
    }
    if (!result.ok()) {
        dialogs_.reportSaveFailure(path, result);
        return false;
    }
    return true;
}

ImsSaveResult ImageSetEditor::WriteImageSet(const std::string& path) const {
    std::vector<ImsEntry> records;
    records.reserve(entries_.size());
    for (const EditorEntry& entry : entries_) {
        records.push_back({entry.index, entry.path, entry.text});
    }
    return saveImageSetFile(path, records);
}

void ImageSetEditor::open() {
    if (!saveFirst(SaveFirstReason::Open)) {
        return;
    }
    const std::string path = dialogs_.chooseSetFileToOpen(startupDirectory_);
    if (path.empty()) {
        return;
    }
    std::optional<LongWork> busy(std::in_place, view_);
    // Read whole before anything is replaced: a file that breaks off leaves the set as it was.
    const ImsReadResult read = readImageSetFile(path);
    if (!read.ok()) {
        busy.reset();
        dialogs_.reportReadFailure(path, read);
        return;
    }
    ClearSet();
    ClearEntries();
    // A set may name one icon many times; it is read from its file once.
    std::map<std::pair<std::string, int>, EditorPictureHandle> made;
    for (const ImsEntry& record : read.entries) {
        const auto [found, fresh] = made.try_emplace({record.sourcePath, record.iconIndex});
        if (fresh) {
            found->second = pictures_.picture(record.sourcePath, record.iconIndex);
        }
        AddEntry({record.sourcePath, record.iconIndex, record.imageText, found->second});
    }
    nameSet(path);
    changed_ = false;
    UpdateButtons();
}

void ImageSetEditor::newSet() {
    if (!saveFirst(SaveFirstReason::New)) {
        return;
    }
    ClearSet();
    ClearEntries();
    nameSet(std::string());
    changed_ = false;
    UpdateButtons();
}

bool ImageSetEditor::close() {
    return saveFirst(SaveFirstReason::Close);
}

bool ImageSetEditor::saveFirst(SaveFirstReason reason) {
    if (!changed_) {
        return true;
    }
    switch (dialogs_.askSaveFirst(reason)) {
    case SaveFirstAnswer::Yes:
        // A save that is cancelled or fails keeps the set, and the operation waits for it.
        return setFilePath_.empty() ? saveAs() : save();
    case SaveFirstAnswer::No:
        return true;
    case SaveFirstAnswer::Cancel:
        return false;
    }
    return false;
}

void ImageSetEditor::nameSet(std::string path) {
    setFilePath_ = std::move(path);
    setName_ = setFilePath_.empty() ? std::string() : pathutil::GetPathTitle(setFilePath_);
    view_.showSetName(setName_);
}

void ImageSetEditor::clickSourceList(int item) {
    chosenSourceItem_ = inRange(item, sourcePictures_.size()) ? item : -1;
    UpdateButtons();
}

void ImageSetEditor::clickSetList(int item) {
    selectedEntry_ = inRange(item, entries_.size()) ? item : -1;
    if (selectedEntry_ >= 0) {
        imageText_ = entries_[static_cast<std::size_t>(selectedEntry_)].text;
    }
    UpdateButtons();
}

void ImageSetEditor::ClearSet() {
    selectedEntry_ = -1;
    view_.setListCleared();
}

void ImageSetEditor::ClearEntries() {
    entries_.clear();
}

void ImageSetEditor::UpdateButtons() {
    const int count = static_cast<int>(entries_.size());
    buttons_.add = chosenSourceItem_ >= 0;
    buttons_.save = changed_ && !setFilePath_.empty();
    buttons_.setText = selectedEntry_ >= 0;
    buttons_.remove = selectedEntry_ >= 0;
    buttons_.moveUp = selectedEntry_ > 0;
    buttons_.moveDown = selectedEntry_ >= 0 && selectedEntry_ <= count - 2;
    view_.showButtons(buttons_);
}

} // namespace gemino

// The image set editor's model, without windows: pictures, the user's answers and the view are
// small recording fakes; folders and set files are real, in a temporary folder.
#include "core/editor/imageseteditor.h"
#include "core/settings/memorysettingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <map>
#include <set>

using namespace gemino;

namespace {

struct NamedPicture : EditorPicture {
    explicit NamedPicture(std::string n) : name(std::move(n)) {}
    std::string name;
};

std::string nameOf(const EditorPictureHandle& picture) {
    const auto* named = dynamic_cast<const NamedPicture*>(picture.get());
    return named ? named->name : "-";
}

// Icon k of a file is the picture "<file name>#k"; `broken` pictures cannot be made.
struct FakePictures : EditorPictures {
    std::map<std::string, int> icons; // by file name
    std::set<std::string> broken;     // "<file name>#k"
    int fileIconsCalls = 0;
    int pictureCalls = 0;

    static std::string name(const std::string& path) { return path.substr(path.rfind('/') + 1); }
    EditorPictureHandle make(const std::string& path, int index) const {
        const std::string picture = name(path) + "#" + std::to_string(index);
        return broken.count(picture) ? nullptr : std::make_shared<NamedPicture>(picture);
    }

    int iconCount(const std::string& path) override { return icons[name(path)]; }
    std::vector<EditorPictureHandle> fileIcons(const std::string& path) override {
        ++fileIconsCalls;
        std::vector<EditorPictureHandle> all;
        for (int k = 0; k < icons[name(path)]; ++k) {
            all.push_back(make(path, k));
        }
        return all;
    }
    EditorPictureHandle picture(const std::string& path, int index) override {
        ++pictureCalls;
        return make(path, index);
    }
};

// Answers from queues; records what the user was asked and told.
struct FakeDialogs : EditorDialogs {
    std::deque<std::string> paths;
    std::deque<SaveFirstAnswer> answers;
    std::vector<std::string> told; // "what: file"
    std::string startFolder;
    int filterIndex = 0;
    std::vector<SaveFirstReason> asked;

    std::string next() {
        std::string path = paths.empty() ? std::string() : paths.front();
        if (!paths.empty()) {
            paths.pop_front();
        }
        return path;
    }
    std::string chooseSourceFile(const std::string& folder, int filter) override {
        startFolder = folder;
        filterIndex = filter;
        return next();
    }
    std::string chooseSourceFolder() override { return next(); }
    std::string chooseSetFileToSave(const std::string&) override { return next(); }
    std::string chooseSetFileToOpen(const std::string&) override { return next(); }
    SaveFirstAnswer askSaveFirst(SaveFirstReason reason) override {
        asked.push_back(reason);
        const SaveFirstAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void reportNoIcons(const std::string& file) override { told.push_back("no icons: " + file); }
    void reportNoImageFiles(const std::string& folder) override {
        told.push_back("no image files: " + folder);
    }
    void reportReadFailure(const std::string& file, const ImsReadResult&) override {
        told.push_back("not read: " + file);
    }
    void reportSaveFailure(const std::string& file, const ImsSaveResult&) override {
        told.push_back("not saved: " + file);
    }
};

// Keeps its own copy of both lists, changed only by what it is told.
struct MirrorView : EditorView {
    const ImageSetEditor* editor = nullptr;
    std::vector<std::string> source;
    std::vector<std::string> set;
    std::string setName;
    int working = 0;   // long work begun and not ended
    int longWorks = 0; // long work begun in all

    void sourceListFilled() override {
        source.clear();
        for (const auto& picture : editor->sourcePictures()) {
            source.push_back(nameOf(picture));
        }
    }
    void setListCleared() override { set.clear(); }
    void entryAppended(int i) override {
        set.insert(set.begin() + i, nameOf(editor->entries()[std::size_t(i)].picture));
    }
    void entryRemoved(int i) override { set.erase(set.begin() + i); }
    void entriesSwapped(int from, int to) override {
        std::swap(set[size_t(from)], set[size_t(to)]);
    }
    void showSetName(const std::string& name) override { setName = name; }
    void showButtons(const EditorButtons&) override {}
    void longWork(bool running) override {
        working += running ? 1 : -1;
        longWorks += running;
    }
};

constexpr int yes = int(SaveFirstAnswer::Yes);

QString mask(const EditorButtons& b) {
    QString mask;
    for (const bool on : {b.add, b.save, b.setText, b.remove, b.moveUp, b.moveDown}) {
        mask += on ? '1' : '0';
    }
    return mask;
}

} // namespace

class TestImageSetEditor : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakePictures pictures_;
    FakeDialogs dialogs_;
    MirrorView view_;
    MemorySettingsStore store_;
    std::unique_ptr<ImageSetEditor> editor_;

    std::string path(const QString& name) const { return dir_.filePath(name).toStdString(); }
    static void touch(const std::string& path) {
        QVERIFY(QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly));
    }
    ImageSetEditor& e() { return *editor_; }

    // The view shows exactly the model's lists, each item with its own picture.
    void checkMirror() {
        std::vector<std::string> set;
        for (const EditorEntry& entry : e().entries()) {
            set.push_back(nameOf(entry.picture));
        }
        QCOMPARE(view_.set, set);
        QCOMPARE(int(view_.source.size()), int(e().sourcePictures().size()));
        QCOMPARE(view_.working, 0);
    }

    // Runs a blank-separated script of the user's steps.
    void run(const QString& script) {
        const std::map<QString, std::function<void(int)>> steps = {
            {"files",
             [&](int) {
                 choose(path("lib.dll"));
                 e().chooseSourceFile();
             }},
            {"folder",
             [&](int) {
                 choose(path("pics"));
                 e().chooseSourceFolder();
             }},
            {"pick", [&](int k) { e().clickSourceList(k); }},
            {"add", [&](int n) { e().addToSet(first(n)); }},
            {"sel", [&](int k) { e().clickSetList(k); }},
            {"del", [&](int) { e().deleteEntry(); }},
            {"up", [&](int) { e().moveUp(); }},
            {"down", [&](int) { e().moveDown(); }},
            {"text", [&](int) { e().setText("words"); }},
            {"saveas",
             [&](int) {
                 choose(path("saved.ims"));
                 e().saveAs();
             }},
            {"save", [&](int) { e().save(); }},
            {"open",
             [&](int) {
                 choose(path("three.ims"));
                 e().open();
             }},
            {"new", [&](int) { e().newSet(); }},
        };
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            steps.at(step.section(':', 0, 0))(step.section(':', 1).toInt());
            checkMirror();
        }
    }
    void choose(const std::string& path) { dialogs_.paths.push_back(path); }
    static std::vector<int> first(int n) {
        std::vector<int> items;
        for (int k = 0; k < n; ++k) {
            items.push_back(k);
        }
        return items;
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(dir_.path()).mkpath("pics/sub.ico") && QDir(dir_.path()).mkpath("empty.bmp"));
        for (const char* name :
             {"lib.dll", "none.dll", "photo.bmp", "pics/c.ico", "pics/a.ico", "pics/B.ICO",
              "pics/b.bmp", "pics/x.jpg", "pics/y.JPEG", "pics/z.png", "pics/k.gif", "pics/m.svg",
              "pics/n.svgz", "pics/readme.txt", "pics/noext"}) {
            touch(path(name));
        }
        pictures_.icons = {{"lib.dll", 300}, {"none.dll", 0}};
        std::vector<ImsEntry> three = {
            {4, path("lib.dll"), "Cat"}, {4, path("lib.dll"), ""}, {0, path("gone.ico"), "Dog"}};
        QVERIFY(saveImageSetFile(path("three.ims"), three).ok());
        const std::string whole = *encodeImageSet(three);
        QFile cut(dir_.filePath("cut.ims"));
        QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(whole.data(), 20) == 20);
    }

    void init() {
        dialogs_ = FakeDialogs();
        view_ = MirrorView();
        store_.clear();
        pictures_.broken.clear();
        pictures_.fileIconsCalls = pictures_.pictureCalls = 0;
        QFile::remove(dir_.filePath("saved.ims"));
        editor_ = std::make_unique<ImageSetEditor>(pictures_, dialogs_, view_, store_, "/start");
        view_.editor = editor_.get();
        e().opening();
    }

    // The changed mark and the six buttons (----->, Save, Set, Delete, Up, Down) after each
    // kind of step.
    void stateAfterSteps_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("buttons");
        QTest::newRow("opening") << "" << false << "000000";
        QTest::newRow("loading a source") << "files" << false << "000000";
        QTest::newRow("a picked source item") << "files pick:0" << false << "100000";
        QTest::newRow("add with none selected") << "files pick:0 add:0" << false << "000000";
        QTest::newRow("add before any pick") << "files add:3" << false << "000000";
        QTest::newRow("add three") << "files pick:0 add:3" << true << "000000";
        QTest::newRow("first entry") << "files pick:0 add:3 sel:0" << true << "001101";
        QTest::newRow("middle entry") << "files pick:0 add:3 sel:1" << true << "001111";
        QTest::newRow("last entry") << "files pick:0 add:3 sel:2" << true << "001110";
        QTest::newRow("click past the items")
            << "files pick:0 add:3 sel:1 sel:3" << true << "000000";
        QTest::newRow("one entry") << "files pick:0 add:1 sel:0" << true << "001100";
        QTest::newRow("saved as") << "files pick:0 add:3 saveas" << false << "000000";
        QTest::newRow("named, changed")
            << "files pick:0 add:3 saveas sel:0 text" << true << "011101";
        QTest::newRow("saved") << "files pick:0 add:3 saveas sel:0 text save" << false << "001101";
        QTest::newRow("moved up") << "files pick:0 add:3 saveas sel:1 up" << true << "011101";
        QTest::newRow("moved down") << "files pick:0 add:3 saveas sel:1 down" << true << "011110";
        QTest::newRow("deleted middle")
            << "files pick:0 add:3 saveas sel:1 del" << true << "011110";
        QTest::newRow("deleted last") << "files pick:0 add:3 saveas sel:2 del" << true << "010000";
        QTest::newRow("opened") << "open" << false << "000000";
        QTest::newRow("new") << "open sel:0 new" << false << "000000";
        QTest::newRow("clicks keep the mark")
            << "files pick:0 add:2 folder pick:1 sel:0" << true << "101101";
    }
    void stateAfterSteps() {
        QFETCH(QString, script);
        QFETCH(bool, changed);
        QFETCH(QString, buttons);
        run(script);
        QCOMPARE(e().changed(), changed);
        QCOMPARE(mask(e().buttons()), buttons);
    }

    // Pictures travel with their entries, missing ones included, in the model and on screen.
    void picturesStayWithTheirItems() {
        pictures_.broken = {"lib.dll#1"};
        run("files pick:0 add:4 sel:1 down down up sel:3 del sel:0 del");
        std::vector<std::string> expected = {"lib.dll#2", "-"};
        QCOMPARE(view_.set, expected);
        QCOMPARE(e().entries()[1].index, 1);
        // The source's pictures were made in one pass and shared, never made again.
        QCOMPARE(pictures_.fileIconsCalls, 1);
        QCOMPARE(pictures_.pictureCalls, 0);
        QCOMPARE(int(view_.source.size()), 300);
    }

    void addCopiesEverySelectedItemInOrder() {
        run("folder pick:5");
        e().addToSet({7, 0, 7, 99});
        QCOMPARE(e().entries().size(), std::size_t(2));
        QCOMPARE(e().entries()[0].path, path("pics/B.ICO"));
        QCOMPARE(e().entries()[1].path, path("pics/k.gif"));
        QCOMPARE(e().entries()[1].index, 0);
        QCOMPARE(e().chosenSourceItem(), -1);
    }

    void folderListsIconsThenBitmapsThenPictures() {
        QCOMPARE(e().ScanFolder(path("pics")), 10);
        std::vector<std::string> order;
        for (const std::string& file : e().folderFiles()) {
            order.push_back(FakePictures::name(file));
        }
        // Name order within an extension; folders named like pictures are not pictures.
        const std::vector<std::string> expected = {"B.ICO",  "a.ico", "c.ico", "b.bmp", "x.jpg",
                                                   "y.JPEG", "z.png", "k.gif", "m.svg", "n.svgz"};
        QCOMPARE(order, expected);
        QCOMPARE(e().ScanFolder(path("missing")), 0);
    }

    void emptyFolderIsReportedAndLoaded() {
        choose(path("empty.bmp"));
        e().chooseSourceFolder();
        QCOMPARE(dialogs_.told, std::vector<std::string>{"no image files: " + path("empty.bmp")});
        QCOMPARE(e().sourceKind(), SourceKind::Folder);
        QCOMPARE(e().sourceTitle(), path("empty.bmp"));
        QVERIFY(view_.source.empty());
    }

    void sourceFileChooser_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("noIcons");
        QTest::newRow("icons") << "lib.dll" << 300 << false;
        QTest::newRow("no icons, still loaded") << "none.dll" << 0 << true;
        QTest::newRow("bitmap is one picture") << "photo.bmp" << 1 << false;
    }
    void sourceFileChooser() {
        QFETCH(QString, file);
        QFETCH(int, items);
        QFETCH(bool, noIcons);
        store_.WriteString(key::BrowseFileDir, path("pics"));
        store_.WriteString(key::BrowseFileFilter, "DLL");
        choose(path(file));
        e().chooseSourceFile();
        QCOMPARE(dialogs_.startFolder, path("pics"));
        QCOMPARE(dialogs_.filterIndex, 2);
        QCOMPARE(int(view_.source.size()), items);
        QCOMPARE(dialogs_.told.size(), std::size_t(noIcons));
        QCOMPARE(e().sourceTitle(), file.section('.', 0, 0).toStdString());
        QCOMPARE(store_.ReadString(key::BrowseFileDir, ""), dir_.path().toStdString());
        QCOMPARE(store_.ReadString(key::BrowseFileFilter, ""), file.section('.', 1).toStdString());
        QCOMPARE(view_.longWorks, 1);

        // Cancelled: nothing changes, a folder that is gone is not offered.
        store_.WriteString(key::BrowseFileDir, path("nowhere"));
        e().chooseSourceFile();
        QCOMPARE(dialogs_.startFolder, std::string());
        QCOMPARE(e().sourcePath(), path(file));
    }

    void rememberedExtensionChoosesTheFileType_data() {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("index");
        for (auto [extension, index] : std::vector<std::pair<const char*, int>>{{"exe", 1},
                                                                                {"DLL", 2},
                                                                                {"ico", 3},
                                                                                {"Icl", 4},
                                                                                {"bmp", 5},
                                                                                {"jpg", 1},
                                                                                {"png", 7},
                                                                                {"SVGZ", 7},
                                                                                {"jpeg", 7},
                                                                                {"gif", 7},
                                                                                {"txt", 1},
                                                                                {"", 1}}) {
            QTest::newRow(extension) << extension << index;
        }
    }
    void rememberedExtensionChoosesTheFileType() {
        QFETCH(QString, extension);
        QFETCH(int, index);
        QCOMPARE(ImageSetEditor::initialFilterIndex(extension.toStdString()), index);
    }

    // New, Open and Close after a change: whether they go on, and whether the set was saved.
    void saveFirst_data() {
        QTest::addColumn<QString>("named");  // the set's file, or empty for a set never saved
        QTest::addColumn<int>("answer");     // SaveFirstAnswer
        QTest::addColumn<QString>("saveAs"); // the Save as answer; empty cancels it
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("saved");
        QTest::newRow("no") << "" << int(SaveFirstAnswer::No) << "" << true << false;
        QTest::newRow("cancel") << "" << int(SaveFirstAnswer::Cancel) << "" << false << false;
        QTest::newRow("yes, saved as") << "" << yes << "saved.ims" << true << true;
        QTest::newRow("yes, save as cancelled") << "" << yes << "" << false << false;
        QTest::newRow("yes, save as fails") << "" << yes << "gone/x.ims" << false << false;
        QTest::newRow("yes, saved") << "saved.ims" << yes << "" << true << true;
        QTest::newRow("yes, save fails") << "gone/x.ims" << yes << "" << false << false;
    }
    void saveFirst() {
        QFETCH(QString, named);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, goesOn);
        QFETCH(bool, saved);
        for (const SaveFirstReason reason :
             {SaveFirstReason::New, SaveFirstReason::Open, SaveFirstReason::Close}) {
            init();
            QVERIFY(QDir(dir_.path()).mkpath("gone"));
            run("files pick:0 add:2");
            if (!named.isEmpty()) {
                choose(path(named));
                QVERIFY(e().saveAs());
                run("sel:0 del");
            }
            QDir(dir_.filePath("gone")).removeRecursively();
            QFile::remove(dir_.filePath("saved.ims"));
            dialogs_.answers = {SaveFirstAnswer(answer)};
            if (answer == yes && named.isEmpty()) {
                dialogs_.paths.push_back(saveAs.isEmpty() ? std::string() : path(saveAs));
            }
            choose(path("three.ims")); // for Open
            bool closes = false;
            switch (reason) {
            case SaveFirstReason::New:
                e().newSet();
                break;
            case SaveFirstReason::Open:
                e().open();
                break;
            case SaveFirstReason::Close:
                closes = e().close();
                break;
            }
            checkMirror();
            QCOMPARE(dialogs_.asked, std::vector<SaveFirstReason>{reason});
            QCOMPARE(QFile::exists(dir_.filePath("saved.ims")), saved);
            if (reason == SaveFirstReason::Close) {
                QCOMPARE(closes, goesOn);
            } else {
                // Going on gives the new or the opened set; stopping keeps the set being edited.
                const std::size_t expected =
                    goesOn ? (reason == SaveFirstReason::New ? 0 : 3) : (named.isEmpty() ? 2 : 1);
                QCOMPARE(e().entries().size(), expected);
                QCOMPARE(e().changed(), !goesOn);
            }
        }
    }

    void openReadsWholeBeforeReplacing() {
        run("files pick:0 add:2 saveas sel:0 text");
        choose(path("cut.ims"));
        dialogs_.answers = {SaveFirstAnswer::No};
        e().open();
        QCOMPARE(dialogs_.told, std::vector<std::string>{"not read: " + path("cut.ims")});
        QCOMPARE(e().entries().size(), std::size_t(2));
        QCOMPARE(e().setFilePath(), path("saved.ims"));
        QCOMPARE(view_.setName, std::string("saved"));
        QVERIFY(e().changed());

        dialogs_.answers = {SaveFirstAnswer::No};
        run("open");
        QCOMPARE(view_.setName, std::string("three"));
        // Missing sources stay; "ME_NONE" is no text; one icon named twice is made once.
        QCOMPARE(e().entries()[2].path, path("gone.ico"));
        QCOMPARE(e().entries()[1].text, std::string());
        QCOMPARE(pictures_.pictureCalls, 2);
        QCOMPARE(view_.set, (std::vector<std::string>{"lib.dll#4", "lib.dll#4", "gone.ico#0"}));
    }

    void failedSaveChangesNothing() {
        run("files pick:0 add:1 saveas sel:0 text");
        QDir(dir_.filePath("gone")).removeRecursively();
        choose(path("gone/x.ims"));
        QVERIFY(!e().saveAs());
        QCOMPARE(dialogs_.told, std::vector<std::string>{"not saved: " + path("gone/x.ims")});
        QCOMPARE(e().setFilePath(), path("saved.ims"));
        QCOMPARE(view_.setName, std::string("saved"));
        QVERIFY(e().changed());
        QVERIFY(e().buttons().save);
    }
};

QTEST_GUILESS_MAIN(TestImageSetEditor)
#include "tst_imageseteditor.moc"

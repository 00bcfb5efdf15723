// The image set editor's model, without windows: pictures, the user's answers and the view are
// one small recording fake; folders and set files are real, in a temporary folder.
#include "core/editor/imageseteditor.h"
#include "core/settings/memorysettingsstore.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <functional>
#include <map>
#include <numeric>
#include <set>

using namespace gemino;
using Strings = std::vector<std::string>;

namespace {

struct NamedPicture : EditorPicture {
    explicit NamedPicture(std::string n) : name(std::move(n)) {}
    std::string name;
};

std::string nameOf(const EditorPictureHandle& picture) {
    const auto* named = dynamic_cast<const NamedPicture*>(picture.get());
    return named ? named->name : "-";
}

std::string fileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// lib.dll holds 300 icons, other files none; icon k of a file is the picture "<file name>#k",
// unless it is `broken`. The user answers from queues (an empty one cancels); what the user is
// asked and told goes to `events`. The view keeps its own copy of the set list, changed only by
// what it is told.
struct Fakes : EditorPictures, EditorDialogs, EditorView {
    using S = const std::string&;
    std::set<std::string> broken;
    int fileIconsCalls = 0;
    int pictureCalls = 0;
    QList<std::string> paths;
    QList<SaveFirstAnswer> answers;
    std::string startFolder;
    int filterIndex = 0;
    Strings events;
    const ImageSetEditor* editor = nullptr;
    std::size_t sourceItems = 0;
    Strings set;
    std::string setName;
    int working = 0;   // long work begun and not ended
    int longWorks = 0; // long work begun in all

    EditorPictureHandle make(const std::string& path, int index) const {
        const std::string picture = fileName(path) + "#" + std::to_string(index);
        return broken.count(picture) ? nullptr : std::make_shared<NamedPicture>(picture);
    }
    int iconCount(const std::string& path) override {
        return fileName(path) == "lib.dll" ? 300 : 0;
    }
    std::vector<EditorPictureHandle> fileIcons(const std::string& path) override {
        ++fileIconsCalls;
        std::vector<EditorPictureHandle> all;
        for (int k = 0; k < iconCount(path); ++k) {
            all.push_back(make(path, k));
        }
        return all;
    }
    EditorPictureHandle picture(const std::string& path, int index) override {
        ++pictureCalls;
        return make(path, index);
    }

    std::string next() { return paths.isEmpty() ? std::string() : paths.takeFirst(); }
    std::string chooseSourceFile(const std::string& folder, int filter) override {
        startFolder = folder;
        filterIndex = filter;
        return next();
    }
    std::string chooseSourceFolder() override { return next(); }
    std::string chooseSetFileToSave(S) override { return next(); }
    std::string chooseSetFileToOpen(S) override { return next(); }
    SaveFirstAnswer askSaveFirst(SaveFirstReason reason) override {
        events.push_back(std::array{"?new", "?open", "?close"}[int(reason)]);
        return answers.isEmpty() ? SaveFirstAnswer::Cancel : answers.takeFirst();
    }
    void reportNoIcons(const std::string& file) override { events.push_back("!icons " + file); }
    void reportNoImageFiles(S) override { events.push_back("!images"); }
    void reportReadFailure(S, const ImsReadResult&) override { events.push_back("!read"); }
    void reportSaveFailure(S, const ImsSaveResult&) override { events.push_back("!save"); }

    void sourceListFilled() override { sourceItems = editor->sourcePictures().size(); }
    void setListCleared() override { set.clear(); }
    void entryAppended(int i) override {
        set.insert(set.begin() + i, nameOf(editor->entries()[std::size_t(i)].picture));
    }
    void entryRemoved(int i) override { set.erase(set.begin() + i); }
    void entriesSwapped(int from, int to) override { std::swap(set.at(from), set.at(to)); }
    void showSetName(const std::string& name) override { setName = name; }
    void showButtons(const EditorButtons&) override {}
    void longWork(bool running) override {
        working += running ? 1 : -1;
        longWorks += running;
    }
};

} // namespace

class TestImageSetEditor : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Fakes fakes_;
    MemorySettingsStore store_;
    std::unique_ptr<ImageSetEditor> editor_;

    std::string path(const QString& name) const { return dir_.filePath(name).toStdString(); }
    ImageSetEditor& e() { return *editor_; }
    // The editor, with `file` ("-" for none) as the next answer of a chooser.
    ImageSetEditor& choosing(const QString& file) {
        fakes_.paths.push_back(file == "-" ? std::string() : path(file));
        return *editor_;
    }

    // The view shows exactly the model's lists, each item with its own picture.
    void checkMirror() {
        Strings set;
        for (const EditorEntry& entry : e().entries()) {
            set.push_back(nameOf(entry.picture));
        }
        QCOMPARE(fakes_.set, set);
        QCOMPARE(fakes_.sourceItems, e().sourcePictures().size());
        QCOMPARE(fakes_.working, 0);
    }

    // Runs a blank-separated script of the user's steps, each "name" or "name:argument".
    void run(const QString& script) {
        const std::map<QString, std::function<void(const QString&)>> steps = {
            {"files", [&](auto) { choosing("lib.dll").chooseSourceFile(); }},
            {"folder", [&](auto) { choosing("pics").chooseSourceFolder(); }},
            {"pick", [&](auto k) { e().clickSourceList(k.toInt()); }},
            {"add",
             [&](auto n) {
                 std::vector<int> items(n.toUInt());
                 std::iota(items.begin(), items.end(), 0);
                 e().addToSet(items);
             }},
            {"sel", [&](auto k) { e().clickSetList(k.toInt()); }},
            {"del", [&](auto) { e().deleteEntry(); }},
            {"up", [&](auto) { e().moveUp(); }},
            {"down", [&](auto) { e().moveDown(); }},
            {"text", [&](auto) { e().setText("words"); }},
            {"saveas", [&](auto) { choosing("saved.ims").saveAs(); }},
            {"save", [&](auto) { e().save(); }},
            {"open", [&](auto) { choosing("three.ims").open(); }},
            {"new", [&](auto) { e().newSet(); }},
            {"close", [&](auto) { fakes_.events.push_back(e().close() ? "closed" : "open"); }},
            {"yes", [&](auto) { fakes_.answers = {SaveFirstAnswer::Yes}; }},
            {"no", [&](auto) { fakes_.answers = {SaveFirstAnswer::No}; }},
            {"to", [&](auto file) { choosing(file); }},
            {"rmgone", [&](auto) { QVERIFY(QDir(dir_.filePath("gone")).removeRecursively()); }},
        };
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            steps.at(step.section(':', 0, 0))(step.section(':', 1));
            checkMirror();
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(dir_.path()).mkpath("pics/sub.ico") && QDir(dir_.path()).mkpath("empty.bmp"));
        for (const char* name :
             {"lib.dll", "none.dll", "photo.bmp", "pics/c.ico", "pics/a.ico", "pics/B.ICO",
              "pics/b.bmp", "pics/x.jpg", "pics/y.JPEG", "pics/z.png", "pics/k.gif", "pics/m.svg",
              "pics/n.svgz", "pics/readme.txt", "pics/noext"}) {
            QVERIFY(QFile(dir_.filePath(name)).open(QIODevice::WriteOnly));
        }
        const std::vector<ImsEntry> three = {
            {4, path("lib.dll"), "Cat"}, {4, path("lib.dll"), ""}, {0, path("gone.ico"), "Dog"}};
        QVERIFY(saveImageSetFile(path("three.ims"), three).ok());
        QFile cut(dir_.filePath("cut.ims"));
        QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(encodeImageSet(three)->data(), 20));
    }

    void init() {
        fakes_ = Fakes();
        store_.clear();
        QFile::remove(dir_.filePath("saved.ims"));
        QVERIFY(QDir(dir_.path()).mkpath("gone"));
        editor_ = std::make_unique<ImageSetEditor>(fakes_, fakes_, fakes_, store_, "/start");
        fakes_.editor = editor_.get();
        e().opening();
    }

    // After each script: the changed mark and the six buttons (----->, Save, Set, Delete, Up,
    // Down), the entries, the set's name, and what the user was asked and told.
    void stateAfterSteps_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("state");
        const auto row = [](const char* name, const QString& script, const char* state) {
            QTest::newRow(name) << script << QString(state);
        };
        const QString three = "files pick:0 add:3 ";
        const QString two = "files pick:0 add:2 ";
        row("opening", "", "0000000 0 -");
        row("loading a source", "files", "0000000 0 -");
        row("a picked source item", "files pick:0", "0100000 0 -");
        row("add with none selected", "files pick:0 add:0", "0000000 0 -");
        row("add before any pick", "files add:3", "0000000 0 -");
        row("a new source drops the pick", "files pick:0 folder add:1", "0000000 0 -");
        row("add three", three, "1000000 3 -");
        row("first entry", three + "sel:0", "1001101 3 -");
        row("up from the first", three + "sel:0 up", "1001101 3 -");
        row("middle entry", three + "sel:1", "1001111 3 -");
        row("last entry", three + "sel:2", "1001110 3 -");
        row("past the items", three + "sel:1 sel:3", "1000000 3 -");
        row("saved as", three + "saveas", "0000000 3 saved");
        row("named, changed", three + "saveas sel:0 text", "1011101 3 saved");
        row("saved", three + "saveas sel:0 text save", "0001101 3 saved");
        row("moved up", three + "saveas sel:1 up", "1011101 3 saved");
        row("moved down", three + "saveas sel:1 down", "1011110 3 saved");
        row("deleted middle", three + "saveas sel:1 del", "1011110 2 saved");
        row("deleted last", three + "saveas sel:2 del", "1010000 2 saved");
        row("opened", "open", "0000000 3 three");
        row("new", "open sel:0 new", "0000000 0 -");
        row("clicks keep the mark", two + "folder pick:1 sel:0", "1101101 2 -");
        // New, Open and Close after a change offer to save it first.
        row("no, new", two + "no new", "0000000 0 - ?new");
        row("cancel, new", two + "new", "1000000 2 - ?new");
        row("no, open", two + "no open", "0000000 3 three ?open");
        row("cancel, open", two + "open", "1000000 2 - ?open");
        row("no, close", two + "no close", "1000000 2 - ?close closed");
        row("cancel, close", two + "close", "1000000 2 - ?close open");
        row("yes, saved as", two + "yes to:saved.ims close", "0000000 2 saved ?close closed");
        row("yes, save as cancelled", two + "yes to:- close", "1000000 2 - ?close open");
        row("yes, save as fails", two + "rmgone yes to:gone/x.ims close",
            "1000000 2 - ?close !save open");
        row("yes, saved", two + "saveas sel:0 del yes close", "0001100 1 saved ?close closed");
        row("yes, save fails", two + "to:gone/x.ims saveas sel:0 del rmgone yes close",
            "1011100 1 x ?close !save open");
        // A failed save or open changes nothing.
        row("save as fails", two + "saveas sel:0 text rmgone to:gone/x.ims saveas",
            "1011101 2 saved !save");
        row("open fails", two + "saveas sel:0 text no to:cut.ims open",
            "1011101 2 saved ?open !read");
    }
    void stateAfterSteps() {
        QFETCH(QString, script);
        QFETCH(QString, state);
        run(script);
        const EditorButtons& b = e().buttons();
        QString got = e().changed() ? "1" : "0";
        for (const bool on : {b.add, b.save, b.setText, b.remove, b.moveUp, b.moveDown}) {
            got += on ? '1' : '0';
        }
        got += QString(" %1 %2")
                   .arg(e().entries().size())
                   .arg(fakes_.setName.empty() ? "-" : QString::fromStdString(fakes_.setName));
        for (const std::string& event : fakes_.events) {
            got += " " + QString::fromStdString(event);
        }
        QCOMPARE(got, state);
    }

    // Pictures travel with their entries, missing ones included; a source's pictures are made
    // once, in one pass, and shared.
    void picturesStayWithTheirItems() {
        fakes_.broken = {"lib.dll#1"};
        run("files pick:0 add:4 sel:1 down down up sel:3 del sel:0 del");
        QCOMPARE(fakes_.set, Strings({"lib.dll#2", "-"}));
        QCOMPARE(e().entries()[1].index, 1);
        QCOMPARE(fakes_.fileIconsCalls, 1);
        QCOMPARE(fakes_.pictureCalls, 0);
        QCOMPARE(fakes_.sourceItems, std::size_t(300));

        run("folder pick:5");
        e().addToSet({7, 0, 7, 99});
        QCOMPARE(e().entries().size(), std::size_t(4));
        QCOMPARE(e().entries()[2].path, path("pics/B.ICO"));
        QCOMPARE(e().entries()[3].path, path("pics/k.gif"));
        QCOMPARE(e().entries()[3].index, 0);
    }

    // Icons, then bitmaps, then the other pictures, in name order within an extension; folders
    // named like pictures are not pictures.
    void folderListsIconsThenBitmapsThenPictures() {
        QCOMPARE(e().ScanFolder(path("pics")), 10);
        Strings order;
        for (const std::string& file : e().folderFiles()) {
            order.push_back(fileName(file));
        }
        QCOMPARE(order, Strings({"B.ICO", "a.ico", "c.ico", "b.bmp", "x.jpg", "y.JPEG", "z.png",
                                 "k.gif", "m.svg", "n.svgz"}));
        QCOMPARE(e().ScanFolder(path("missing")), 0);

        choosing("empty.bmp").chooseSourceFolder();
        QCOMPARE(fakes_.events, Strings{"!images"});
        QCOMPARE(e().sourceKind(), SourceKind::Folder);
        QCOMPARE(e().sourceTitle(), path("empty.bmp"));
        QCOMPARE(fakes_.sourceItems, std::size_t(0));
    }

    // A file of icons, one without any, and a picture: where the chooser starts, what it
    // remembers, what the source list holds.
    void sourceFileChooser() {
        store_.WriteString(key::BrowseFileDir, path("pics"));
        store_.WriteString(key::BrowseFileFilter, "DLL");
        int chosen = 0;
        for (const auto& [file, items] :
             {std::pair{"lib.dll", 300}, {"none.dll", 0}, {"photo.bmp", 1}}) {
            choosing(file).chooseSourceFile();
            QCOMPARE(fakes_.startFolder, chosen++ ? dir_.path().toStdString() : path("pics"));
            QCOMPARE(fakes_.filterIndex, 2);
            QCOMPARE(int(fakes_.sourceItems), items);
            QCOMPARE(e().sourceTitle(), QString(file).section('.', 0, 0).toStdString());
            QCOMPARE(store_.ReadString(key::BrowseFileFilter, ""),
                     QString(file).section('.', 1).toStdString());
        }
        QCOMPARE(fakes_.events, Strings{"!icons " + path("none.dll")});
        QCOMPARE(fakes_.longWorks, 3);
        // Cancelled: nothing changes, and a folder that is gone is not offered.
        store_.WriteString(key::BrowseFileDir, path("nowhere"));
        e().chooseSourceFile();
        QCOMPARE(fakes_.startFolder, std::string());
        QCOMPARE(e().sourcePath(), path("photo.bmp"));
        // The file type the chooser starts with, by the remembered extension.
        const std::pair<const char*, int> types[] = {
            {"exe", 1}, {"DLL", 2},  {"ico", 3},  {"Icl", 4}, {"bmp", 5}, {"jpg", 1},
            {"png", 7}, {"SVGZ", 7}, {"jpeg", 7}, {"gif", 7}, {"txt", 1}, {"", 1}};
        for (const auto& [extension, index] : types) {
            QCOMPARE(ImageSetEditor::initialFilterIndex(extension), index);
        }
    }

    // Missing sources stay; no text stays none; one icon named twice is made once.
    void openedSetKeepsWhatItNames() {
        run("open");
        QCOMPARE(e().entries()[2].path, path("gone.ico"));
        QCOMPARE(e().entries()[1].text, std::string());
        QCOMPARE(e().entries()[0].text, std::string("Cat"));
        QCOMPARE(fakes_.pictureCalls, 2);
        QCOMPARE(fakes_.set, Strings({"lib.dll#4", "lib.dll#4", "gone.ico#0"}));
    }
};

QTEST_GUILESS_MAIN(TestImageSetEditor)
#include "tst_imageseteditor.moc"

// The image set editor's window, on pictures made here: icons drawn with QImage and packed by
// icotool (icoutils), an icon library laid out by the NE helper of tests/support, PNG and SVG
// files written by the test.
#include "core/settings/memorysettingsstore.h"
#include "qt/app/commands.h"
#include "qt/editor/createimagesetdialog.h"
#include "qt/editor/editorlist.h"
#include "qt/imagesets/imageset.h"
#include "qt/platform/picturefile.h"
#include "qt/widgets/dialogunits.h"
#include "qt/widgets/prompts.h"
#include "support/guitable.h"
#include "support/nemodule.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <functional>

using namespace gemino;

namespace {

// Group k of the library is red level 10 + 20k at 48 px and black at 32 px: a 40 px cell
// draws from the 48 px image, the smallest that covers it.
QRgb libraryColour(int k) {
    return qRgb(10 + 20 * k, 160, 60);
}

QRgb centreOf(const QPixmap& pixmap) {
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2) & 0xFFFFFF;
}

QRgb itemColour(const QListWidget* list, int row) {
    return centreOf(list->item(row)->icon().pixmap(QSize(kEditorImageSide, kEditorImageSide)));
}

struct Box {
    MessageIcon icon;
    QString caption;
    QString text;
    MessageButtons buttons;
};

} // namespace

class TestEditorDialog : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::deque<QString> paths_;         // what file dialogs answer, in turn
    std::deque<MessageAnswer> answers_; // what questions answer, in turn
    std::vector<Box> boxes_;            // every message box shown
    QStringList dialogTitles_;
    QStringList lastFilters_;
    QString lastFilter_;
    QString lastFolder_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    static bool write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    // One .ico file of solid images of the given sides and colours.
    QByteArray makeIco(const std::vector<std::pair<int, QRgb>>& images) {
        const QString icotool = QStandardPaths::findExecutable("icotool");
        QStringList args = {"-c", "-o", path("made.ico")};
        for (const auto& [side, colour] : images) {
            QImage image(side, side, QImage::Format_ARGB32);
            image.fill(colour);
            const QString png = path(QString("made%1.png").arg(side));
            image.save(png);
            args << png;
        }
        if (icotool.isEmpty() || QProcess::execute(icotool, args) != 0) {
            return {};
        }
        QFile ico(path("made.ico"));
        return ico.open(QIODevice::ReadOnly) ? ico.readAll() : QByteArray();
    }

    template <typename T> T* control(QWidget& dialog, int id) {
        return dialog.findChild<T*>(QString::number(id));
    }
    QPushButton* button(QWidget& dialog, int id) { return control<QPushButton>(dialog, id); }
    EditorList* list(QWidget& dialog, int id) { return control<EditorList>(dialog, id); }

    static void clickItem(QListWidget* list, int row, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                          list->visualItemRect(list->item(row)).center());
    }
    // Shows the editor with the library's icons in its source list.
    void showWithLibrary(CreateImageSetDialog& dialog) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        paths_ = {path("lib.icl")};
        button(dialog, 5)->click();
    }
    void giveText(QWidget& dialog, int entry, const QString& text) {
        clickItem(list(dialog, 1114), entry);
        control<QLineEdit>(dialog, 1014)->setText(text);
        button(dialog, 12)->click();
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(dir_.path()).mkpath("pics") && QDir(dir_.path()).mkpath("empty"));
        std::vector<test::NeGroup> groups;
        for (int k = 0; k < 6; ++k) {
            const QByteArray ico = makeIco({{32, qRgb(0, 0, 0)}, {48, libraryColour(k)}});
            QVERIFY2(!ico.isEmpty(), "icotool (package icoutils) makes the icon fixtures");
            groups.push_back({"", std::uint16_t(k + 1), {ico.begin(), ico.end()}});
        }
        const auto module = test::buildNeModule(groups, 4);
        QVERIFY(write(path("lib.icl"), QByteArray(reinterpret_cast<const char*>(module.data()),
                                                  qsizetype(module.size()))));
        QVERIFY(write(path("pics/b.ico"), makeIco({{32, qRgb(0, 0, 200)}})));
        QImage png(64, 64, QImage::Format_RGB32);
        png.fill(qRgb(0, 200, 0));
        QVERIFY(png.save(path("pics/a.png")));
        QVERIFY(write(path("pics/c.SVG"), "<svg xmlns='http://www.w3.org/2000/svg' width='10' "
                                          "height='10'><rect width='10' height='10' "
                                          "fill='#c800c8'/></svg>"));
        QVERIFY(write(path("noicons.dll"), "MZ not really"));
    }

    void init() {
        paths_.clear();
        answers_.clear();
        boxes_.clear();
        dialogTitles_.clear();
        setMessageBoxHook([this](QWidget*, MessageIcon icon, const QString& caption,
                                 const QString& text, MessageButtons buttons) {
            boxes_.push_back({icon, caption, text, buttons});
            if (buttons == MessageButtons::Ok || answers_.empty()) {
                return MessageAnswer::Ok;
            }
            const MessageAnswer answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
        setFileDialogHook([this](QFileDialog& dialog) {
            dialogTitles_ << dialog.windowTitle();
            lastFilter_ = dialog.selectedNameFilter();
            lastFolder_ = dialog.directory().absolutePath();
            lastFilters_ = dialog.nameFilters();
            const QString path = paths_.empty() ? QString() : paths_.front();
            if (!paths_.empty()) {
                paths_.pop_front();
            }
            return path;
        });
    }

    // The template's 22 controls, each named by its id, where the template puts them, none
    // on another.
    void controlsFollowTheTemplate() {
        MemorySettingsStore store;
        CreateImageSetDialog dialog(store, dir_.path());
        QCOMPARE(dialog.windowTitle(), QString(" Create a Custom Image Set"));
        const DialogUnits units(DialogUnits::dialogFont());
        QCOMPARE(dialog.size(), QSize(units.toPixelsX(453), units.toPixelsY(258)));
        const std::map<int, std::pair<QString, QRect>> placed = {
            {1254, {"", {75, 8, 117, 14}}},          {1115, {"", {10, 42, 182, 150}}},
            {5, {"Files...", {35, 196, 41, 14}}},    {9, {"Folders...", {117, 196, 41, 14}}},
            {3, {"----->", {202, 110, 50, 14}}},     {2, {"&Cancel", {202, 178, 50, 14}}},
            {8, {"&New...", {202, 220, 50, 14}}},    {1255, {"", {326, 8, 117, 14}}},
            {1114, {"", {261, 42, 182, 150}}},       {1014, {"", {307, 196, 102, 15}}},
            {12, {"Set", {413, 196, 30, 15}}},       {13, {"Save &As...", {267, 220, 50, 14}}},
            {10, {"&Save", {330, 220, 50, 14}}},     {11, {"&Open...", {393, 220, 50, 14}}},
            {4, {"Delete", {267, 238, 50, 14}}},     {6, {"Move &Up", {330, 238, 50, 14}}},
            {7, {"Move &Down", {393, 238, 50, 14}}},
        };
        QList<QWidget*> controls;
        for (const auto& [id, where] : placed) {
            QWidget* control = dialog.findChild<QWidget*>(QString::number(id));
            QVERIFY2(control, qPrintable(QString::number(id)));
            const QRect r = where.second;
            QCOMPARE(control->geometry(), units.toPixels(r.x(), r.y(), r.width(), r.height()));
            if (auto* button = qobject_cast<QPushButton*>(control)) {
                QCOMPARE(button->text(), where.first);
            }
            controls << control;
        }
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>("-1")) {
            labels << label->text();
            controls << label;
            // Fully inside the dialog, and wide enough for its text.
            QVERIFY(dialog.rect().contains(label->geometry()));
            QVERIFY(label->width() >= label->sizeHint().width() || label->text().size() > 30);
        }
        QCOMPARE(labels, QStringList({"Images In:", "Select Images from Files and in Folders",
                                      "Image Set Name:", "Images in the Image Set", "Image Text"}));
        QCOMPARE(controls.size(), 22);
        for (int a = 0; a < controls.size(); ++a) {
            for (int b = a + 1; b < controls.size(); ++b) {
                QVERIFY2(!controls[a]->geometry().intersects(controls[b]->geometry()),
                         qPrintable(controls[a]->objectName() + " " + controls[b]->objectName()));
            }
        }
        QCOMPARE(list(dialog, 1115)->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list(dialog, 1114)->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list(dialog, 1114)->gridSize(), QSize(60, 60));
        QVERIFY(control<QLineEdit>(dialog, 1254)->isReadOnly());
        QVERIFY(!control<QLineEdit>(dialog, 1014)->isReadOnly());
    }

    // The file chooser's title, types and starting place; the two "nothing here" boxes.
    void choosersAndTheirMessages_data() {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("filter");
        QTest::newRow("dll") << "DLL"
                             << "DLL Files (*.dll)";
        QTest::newRow("png") << "png"
                             << "Pictures (*.png *.svg *.svgz *.gif *.jpeg)";
        QTest::newRow("jpg") << "jpg"
                             << "Executable Files (*.exe)";
    }
    void choosersAndTheirMessages() {
        QFETCH(QString, remembered);
        QFETCH(QString, filter);
        MemorySettingsStore store;
        store.WriteString(key::BrowseFileDir, path("pics").toStdString());
        store.WriteString(key::BrowseFileFilter, remembered.toStdString());
        CreateImageSetDialog dialog(store, dir_.path());
        paths_ = {path("noicons.dll"), path("empty")};
        button(dialog, 5)->click();
        QCOMPARE(lastFilters_,
                 QStringList({"Executable Files (*.exe)", "DLL Files (*.dll)", "Icon Files (*.ico)",
                              "Icon Library Files (*.icl)", "Bitmap Files (*.bmp)",
                              "Jpeg Files (*.jpg)", "Pictures (*.png *.svg *.svgz *.gif *.jpeg)",
                              "All image sources (*.exe *.dll *.ico *.icl *.bmp *.jpg *.jpeg "
                              "*.png *.gif *.svg *.svgz)"}));
        QCOMPARE(lastFilter_, filter);
        QCOMPARE(lastFolder_, path("pics"));
        button(dialog, 9)->click();
        QCOMPARE(dialogTitles_, QStringList({"Select a File Containing Images (Icons or Bitmaps)",
                                             "Select a Folder Containing Images"}));
        QCOMPARE(boxes_.size(), std::size_t(2));
        QCOMPARE(boxes_[0].icon, MessageIcon::Critical);
        QCOMPARE(boxes_[0].caption, QString("No Icons in File"));
        QCOMPARE(boxes_[0].text, "The selected file does not contain any icons\n\nFile:  " +
                                     QDir::toNativeSeparators(path("noicons.dll")));
        QCOMPARE(boxes_[1].caption, QString("No Image Files in Folder"));
        QCOMPARE(boxes_[1].text, "The selected folder does not contain any image files\n\n"
                                 "Folder:  " +
                                     QDir::toNativeSeparators(path("empty")));
        QCOMPARE(store.ReadString(key::BrowseFileFilter, ""), std::string("dll"));
    }

    // Without a mouse: arrow keys pick in both lists as clicks do.
    void keyboardPicksLikeAClick() {
        MemorySettingsStore store;
        CreateImageSetDialog dialog(store, dir_.path());
        showWithLibrary(dialog);
        EditorList* source = list(dialog, 1115);
        source->setFocus();
        QTest::keyClick(source, Qt::Key_Right);
        QTest::keyClick(source, Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(button(dialog, 3)->isEnabled());
        button(dialog, 3)->click();
        QCOMPARE(dialog.editor().entries().size(), std::size_t(2));
        QVERIFY(!button(dialog, 3)->isEnabled());

        dialog.editor().clickSetList(1);
        dialog.editor().setText("second");
        EditorList* set = list(dialog, 1114);
        set->setFocus();
        set->setCurrentRow(0);
        QTest::keyClick(set, Qt::Key_Right);
        QCOMPARE(dialog.editor().selectedEntry(), 1);
        QCOMPARE(control<QLineEdit>(dialog, 1014)->text(), QString("second"));
        QVERIFY(button(dialog, 6)->isEnabled() && !button(dialog, 7)->isEnabled());
        button(dialog, 6)->click();
        QCOMPARE(set->currentRow(), 0);
        QCOMPARE(dialog.editor().entries()[0].text, std::string("second"));

        // A click beside every item picks none, on screen too.
        const QSize area = set->viewport()->size();
        QTest::mouseClick(set->viewport(), Qt::LeftButton, {},
                          QPoint(area.width() - 3, area.height() - 3));
        QCOMPARE(dialog.editor().selectedEntry(), -1);
        QVERIFY(set->selectedItems().isEmpty());
        QVERIFY(!button(dialog, 4)->isEnabled());
    }

    // Escape, the close box and "&Cancel" all offer to save a changed set first.
    void closingOffersToSave_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("escape") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("cancel button") << 2;
    }
    void closingOffersToSave() {
        QFETCH(int, way);
        MemorySettingsStore store;
        CreateImageSetDialog dialog(store, dir_.path());
        showWithLibrary(dialog);
        clickItem(list(dialog, 1115), 0);
        button(dialog, 3)->click();
        const auto close = [&] {
            if (way == 0) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else if (way == 1) {
                dialog.close();
            } else {
                button(dialog, 2)->click();
            }
        };
        answers_ = {MessageAnswer::Cancel, MessageAnswer::No};
        close();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes_.size(), std::size_t(1));
        QCOMPARE(boxes_[0].caption, QString("Save Image Set?"));
        QCOMPARE(boxes_[0].text, QString("The image set that you are editing has changed. Do you "
                                         "want to save it before exiting?"));
        QCOMPARE(boxes_[0].buttons, MessageButtons::YesNoCancel);
        close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    // Failures name the file and say why.
    void failuresSayWhichFileAndWhy() {
        MemorySettingsStore store;
        CreateImageSetDialog dialog(store, dir_.path());
        QVERIFY(write(path("cut.ims"), QByteArray("\x02\0\0\0\0\0\0\0/a.png\nA\n", 18)));
        paths_ = {path("lib.icl"), path("nowhere/x.ims"), path("cut.ims")};
        button(dialog, 5)->click();
        clickItem(list(dialog, 1115), 1);
        button(dialog, 3)->click();
        button(dialog, 13)->click();
        answers_ = {MessageAnswer::No};
        button(dialog, 11)->click();
        QCOMPARE(boxes_.size(), std::size_t(3));
        QCOMPARE(boxes_[0].caption, QString("Image Set Not Saved"));
        QVERIFY(boxes_[0].text.contains(QDir::toNativeSeparators(path("nowhere/x.ims"))));
        QVERIFY(boxes_[0].text.contains("No file can be created in its folder"));
        QCOMPARE(boxes_[2].caption, QString("Image Set Not Opened"));
        QVERIFY(boxes_[2].text.contains("It ends after 1 of the 2 images it announces."));
        QCOMPARE(list(dialog, 1114)->count(), 1);
        QVERIFY(control<QLineEdit>(dialog, 1255)->text().isEmpty());
    }

    // The whole road: a set built in the editor from an icon library and a folder, saved,
    // opened again, then played on the board.
    void aSetBuiltInTheEditorIsPlayed() {
        GuiTable t(3);
        // Runs `steps` in the editor opened by the command, then closes it with "&Cancel". A
        // failed check leaves the steps early; the editor is then ended all the same, so the
        // modal loop never outlives the test.
        const auto runEditor = [&](const std::function<void(CreateImageSetDialog&)>& steps) {
            bool closed = false;
            QTimer::singleShot(0, this, [&] {
                auto* dialog =
                    qobject_cast<CreateImageSetDialog*>(QApplication::activeModalWidget());
                if (dialog) {
                    steps(*dialog);
                    button(*dialog, 2)->click();
                    closed = !dialog->isVisible();
                    dialog->done(QDialog::Rejected);
                }
            });
            t.action(command::CreateCustomImageSet)->trigger();
            QVERIFY(closed);
        };
        const QRgb blue = qRgb(0, 0, 200) & 0xFFFFFF;
        const QRgb green = qRgb(0, 200, 0) & 0xFFFFFF;
        const QRgb purple = qRgb(200, 0, 200) & 0xFFFFFF;
        const std::vector<std::pair<QRgb, QString>> expected = {
            {libraryColour(1) & 0xFFFFFF, "One"},
            {libraryColour(3) & 0xFFFFFF, "Three"},
            {libraryColour(4) & 0xFFFFFF, "Four"},
            {blue, "Blue"},
            {green, "Green"},
            {purple, ""}};

        paths_ = {path("lib.icl"), path("pics"), path("mine.ims")};
        runEditor([&](CreateImageSetDialog& dialog) {
            QListWidget* source = list(dialog, 1115);
            button(dialog, 5)->click();
            QCOMPARE(control<QLineEdit>(dialog, 1254)->text(), QString("lib"));
            clickItem(source, 4);
            clickItem(source, 1, Qt::ControlModifier);
            clickItem(source, 3, Qt::ControlModifier);
            button(dialog, 3)->click();
            button(dialog, 9)->click();
            QCOMPARE(control<QLineEdit>(dialog, 1254)->text(),
                     QDir::toNativeSeparators(path("pics")));
            clickItem(source, 1);
            clickItem(source, 2, Qt::ControlModifier);
            button(dialog, 3)->click();
            clickItem(source, 0);
            button(dialog, 3)->click();
            for (const auto& [entry, text] : std::vector<std::pair<int, QString>>{
                     {0, "One"}, {1, "Three"}, {2, "Four"}, {3, "Green"}, {5, "Blue"}}) {
                giveText(dialog, entry, text);
            }
            clickItem(list(dialog, 1114), 5);
            button(dialog, 6)->click();
            button(dialog, 6)->click();
            for (int i = 0; i < 6; ++i) {
                QCOMPARE(itemColour(list(dialog, 1114), i), expected[std::size_t(i)].first);
            }
            button(dialog, 13)->click();
            QCOMPARE(control<QLineEdit>(dialog, 1255)->text(), QString("mine"));
        });
        // Saved, so closing asked nothing.
        QVERIFY(boxes_.empty());

        paths_ = {path("mine.ims")};
        runEditor([&](CreateImageSetDialog& dialog) {
            QCOMPARE(list(dialog, 1114)->count(), 0);
            button(dialog, 11)->click();
            QListWidget* set = list(dialog, 1114);
            QCOMPARE(set->count(), 6);
            for (int i = 0; i < 6; ++i) {
                QCOMPARE(itemColour(set, i), expected[std::size_t(i)].first);
                QCOMPARE(QString::fromStdString(dialog.editor().entries()[std::size_t(i)].text),
                         expected[std::size_t(i)].second);
            }
        });

        paths_ = {path("mine.ims")};
        t.action(command::UseCustomImageSet)->trigger();
        QVERIFY(boxes_.empty());
        // Each deal shuffles the images, so they are compared as a whole.
        const ImageSet& images = t.images();
        QCOMPARE(images.imageCount(), 6);
        std::vector<std::pair<QRgb, QString>> played;
        int blueImage = -1;
        for (int i = 0; i < 6; ++i) {
            const CSetImage* image = images.image(i);
            const QPixmap picture = image->isBitmap ? image->bitmap : image->icon.pixmap(48, 48);
            played.emplace_back(centreOf(picture), image->text);
            blueImage = image->text == "Blue" ? i : blueImage;
        }
        std::sort(played.begin(), played.end());
        auto sorted = expected;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(played, sorted);
        // Uncovered, the blue image shows its picture and, below it, its text.
        const auto& cells = t.state().cellImage;
        const int cell = int(std::find(cells.begin(), cells.end(), blueImage) - cells.begin());
        QTest::mouseClick(t.button(cell), Qt::LeftButton);
        const QRect area = t.button(cell)->geometry();
        const QImage board = t.grab();
        QVERIFY(countColor(board, area, blue) > area.width() * area.height() / 2);
        QVERIFY(countDark(board, area.translated(0, area.height()).adjusted(-10, 0, 10, 0)) > 5);
    }
};

QTEST_MAIN(TestEditorDialog)
#include "tst_editordialog.moc"

// The image set editor's window, on pictures made here: icons drawn with QImage and written by
// Qt's ICO writer, an icon library laid out by the NE helper of tests/support, PNG and SVG
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
#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace gemino;

namespace {

// Group k of the library is red level 10 + 20k.
QRgb libraryColour(int k) {
    return qRgb(10 + 20 * k, 160, 60);
}

QRgb centreOf(const QPixmap& pixmap) {
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2) & 0xFFFFFF;
}

// An icon file of one solid 48-pixel image, as Qt's ICO writer lays it out.
QByteArray solidIco(QRgb colour) {
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(colour);
    QBuffer buffer;
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "ICO") ? buffer.data()
                                                                           : QByteArray();
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestEditorDialog : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QStringList paths_;            // what file dialogs answer, in turn
    QList<MessageAnswer> answers_; // what questions answer, in turn
    QStringList boxes_;            // "caption: text" of every message box shown
    QString lastFilter_;
    QString lastFolder_;
    MemorySettingsStore store_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    template <typename T = QPushButton> static T* control(QWidget& dialog, int id) {
        return dialog.findChild<T*>(QString::number(id));
    }
    static EditorList* list(QWidget& dialog, int id) { return control<EditorList>(dialog, id); }
    static QString field(QWidget& dialog, int id) { return control<QLineEdit>(dialog, id)->text(); }
    static void click(QWidget& dialog, int id) { control(dialog, id)->click(); }
    static void clickItem(QListWidget* list, int row, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                          list->visualItemRect(list->item(row)).center());
    }
    static QRgb itemColour(QListWidget* list, int row) {
        return centreOf(list->item(row)->icon().pixmap(kEditorImageSide, kEditorImageSide));
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(dir_.path()).mkpath("pics") && QDir(dir_.path()).mkpath("empty"));
        std::vector<test::NeGroup> groups;
        for (int k = 0; k < 6; ++k) {
            const QByteArray ico = solidIco(libraryColour(k));
            QVERIFY(!ico.isEmpty());
            groups.push_back({"", std::uint16_t(k + 1), {ico.begin(), ico.end()}});
        }
        const auto module = test::buildNeModule(groups, 4);
        QVERIFY(write(path("lib.icl"), QByteArray(reinterpret_cast<const char*>(module.data()),
                                                  qsizetype(module.size()))));
        QVERIFY(write(path("pics/b.ico"), solidIco(qRgb(0, 0, 200))));
        QImage png(64, 64, QImage::Format_RGB32);
        png.fill(qRgb(0, 200, 0));
        QVERIFY(png.save(path("pics/a.png")));
        QVERIFY(write(path("pics/c.SVG"), "<svg xmlns='http://www.w3.org/2000/svg' width='10' "
                                          "height='10'><rect width='10' height='10' "
                                          "fill='#c800c8'/></svg>"));
        QVERIFY(write(path("noicons.dll"), "MZ not really"));
    }

    void init() {
        store_.clear();
        paths_.clear();
        answers_.clear();
        boxes_.clear();
        setMessageBoxHook([this](QWidget*, MessageIcon, const QString& caption, const QString& text,
                                 MessageButtons buttons) {
            boxes_ << caption + ": " + text;
            return buttons == MessageButtons::Ok || answers_.isEmpty() ? MessageAnswer::Ok
                                                                       : answers_.takeFirst();
        });
        setFileDialogHook([this](QFileDialog& dialog) {
            lastFilter_ = dialog.selectedNameFilter();
            lastFolder_ = dialog.directory().absolutePath();
            return paths_.isEmpty() ? QString() : paths_.takeFirst();
        });
    }

    // The template's 22 controls, each named by its id, where the template puts them, none
    // on another.
    void controlsFollowTheTemplate() {
        CreateImageSetDialog dialog(store_, dir_.path());
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
            const auto& [text, r] = where;
            QCOMPARE(control->geometry(), units.toPixels(r.x(), r.y(), r.width(), r.height()));
            if (auto* button = qobject_cast<QPushButton*>(control)) {
                QCOMPARE(button->text(), text);
            }
            controls << control;
        }
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>("-1")) {
            labels << label->text();
            controls << label;
            QVERIFY(dialog.rect().contains(label->geometry()));
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
        QVERIFY(control<QLineEdit>(dialog, 1254)->isReadOnly());
    }

    // The file type the file chooser starts with (the model picks its number for each
    // remembered extension); the two "nothing here" boxes.
    void choosersAndTheirMessages() {
        store_.WriteString(key::BrowseFileDir, path("pics").toStdString());
        store_.WriteString(key::BrowseFileFilter, "png");
        CreateImageSetDialog dialog(store_, dir_.path());
        paths_ = {path("noicons.dll"), path("empty")};
        click(dialog, 5);
        QCOMPARE(lastFilter_, QString("Pictures (*.png *.svg *.svgz *.gif *.jpeg)"));
        QCOMPARE(lastFolder_, path("pics"));
        click(dialog, 9);
        QCOMPARE(boxes_, QStringList({"No Icons in File: The selected file does not contain any "
                                      "icons\n\nFile:  " +
                                          path("noicons.dll"),
                                      "No Image Files in Folder: The selected folder does not "
                                      "contain any image files\n\nFolder:  " +
                                          path("empty")}));
        QCOMPARE(store_.ReadString(key::BrowseFileFilter, ""), std::string("dll"));
    }

    // Without a mouse, arrow keys pick in both lists as clicks do; a click beside every item
    // picks none.
    void keyboardPicksLikeAClick() {
        CreateImageSetDialog dialog(store_, dir_.path());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        paths_ = {path("lib.icl")};
        click(dialog, 5);
        EditorList* source = list(dialog, 1115);
        source->setFocus();
        QTest::keyClick(source, Qt::Key_Right);
        QTest::keyClick(source, Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(control(dialog, 3)->isEnabled());
        click(dialog, 3);
        QCOMPARE(dialog.editor().entries().size(), std::size_t(2));
        QVERIFY(!control(dialog, 3)->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor()); // the wait cursor went with the work

        dialog.editor().clickSetList(1);
        dialog.editor().setText("second");
        EditorList* set = list(dialog, 1114);
        set->setFocus();
        set->setCurrentRow(0);
        QTest::keyClick(set, Qt::Key_Right);
        QCOMPARE(dialog.editor().selectedEntry(), 1);
        QCOMPARE(field(dialog, 1014), QString("second"));
        QVERIFY(control(dialog, 6)->isEnabled() && !control(dialog, 7)->isEnabled());
        click(dialog, 6);
        QCOMPARE(set->currentRow(), 0);
        QCOMPARE(dialog.editor().entries()[0].text, std::string("second"));

        const QSize area = set->viewport()->size();
        QTest::mouseClick(set->viewport(), Qt::LeftButton, {},
                          QPoint(area.width() - 3, area.height() - 3));
        QCOMPARE(dialog.editor().selectedEntry(), -1);
        QVERIFY(set->selectedItems().isEmpty() && !control(dialog, 4)->isEnabled());
    }

    // Escape, the close box and "&Cancel" all offer to save a changed set first.
    void closingOffersToSave() {
        for (int way = 0; way < 3; ++way) {
            init();
            CreateImageSetDialog dialog(store_, dir_.path());
            dialog.show();
            paths_ = {path("lib.icl")};
            click(dialog, 5);
            clickItem(list(dialog, 1115), 0);
            click(dialog, 3);
            const auto close = [&] {
                way == 0   ? QTest::keyClick(&dialog, Qt::Key_Escape)
                : way == 1 ? void(dialog.close())
                           : click(dialog, 2);
            };
            answers_ = {MessageAnswer::Cancel, MessageAnswer::No};
            close();
            QVERIFY(dialog.isVisible());
            QCOMPARE(boxes_, QStringList("Save Image Set?: The image set that you are editing has "
                                         "changed. Do you want to save it before exiting?"));
            close();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
    }

    // Failures name the file and say why, and change nothing.
    void failuresSayWhichFileAndWhy() {
        CreateImageSetDialog dialog(store_, dir_.path());
        QVERIFY(write(path("cut.ims"), QByteArray("\x02\0\0\0\0\0\0\0/a.png\nA\n", 18)));
        paths_ = {path("lib.icl"), path("nowhere/x.ims"), path("cut.ims")};
        click(dialog, 5);
        clickItem(list(dialog, 1115), 1);
        click(dialog, 3);
        click(dialog, 13);
        answers_ = {MessageAnswer::No};
        click(dialog, 11);
        QCOMPARE(boxes_.size(), 3);
        QVERIFY(boxes_[0].startsWith("Image Set Not Saved: Gemino could not save the image set\n" +
                                     path("nowhere/x.ims") +
                                     "\n\nNo file can be created in its folder"));
        QVERIFY(boxes_[2].startsWith("Image Set Not Opened: Gemino could not read the image set\n" +
                                     path("cut.ims") + "\n\n"));
        QVERIFY(boxes_[2].contains(
            "The file is truncated: it ends before image 2 of the 2 it announces is complete."));
        QCOMPARE(list(dialog, 1114)->count(), 1);
        QVERIFY(field(dialog, 1255).isEmpty());
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
                if (auto* dialog =
                        qobject_cast<CreateImageSetDialog*>(QApplication::activeModalWidget())) {
                    steps(*dialog);
                    click(*dialog, 2);
                    closed = !dialog->isVisible();
                    dialog->done(QDialog::Rejected);
                }
            });
            t.action(command::CreateCustomImageSet)->trigger();
            QVERIFY(closed);
        };
        const QRgb blue = qRgb(0, 0, 200) & 0xFFFFFF;
        std::vector<std::pair<QRgb, QString>> expected = {{libraryColour(1) & 0xFFFFFF, "One"},
                                                          {libraryColour(3) & 0xFFFFFF, "Three"},
                                                          {libraryColour(4) & 0xFFFFFF, "Four"},
                                                          {blue, "Blue"},
                                                          {0x00C800, "Green"},
                                                          {0xC800C8, ""}};
        const auto checkSet = [&](CreateImageSetDialog& dialog) {
            QCOMPARE(list(dialog, 1114)->count(), 6);
            for (int i = 0; i < 6; ++i) {
                QCOMPARE(itemColour(list(dialog, 1114), i), expected[std::size_t(i)].first);
                const EditorEntry& entry = dialog.editor().entries()[std::size_t(i)];
                QCOMPARE(QString::fromStdString(entry.text), expected[std::size_t(i)].second);
                // A screen reader is told an item by its text, else by its file's title.
                const QString told = expected[std::size_t(i)].second.isEmpty()
                                         ? QFileInfo(QString::fromStdString(entry.path)).baseName()
                                         : expected[std::size_t(i)].second;
                QCOMPARE(list(dialog, 1114)->item(i)->data(Qt::AccessibleTextRole).toString(),
                         told);
            }
        };

        paths_ = {path("lib.icl"), path("pics"), path("mine.ims")};
        runEditor([&](CreateImageSetDialog& dialog) {
            QListWidget* source = list(dialog, 1115);
            click(dialog, 5);
            QCOMPARE(field(dialog, 1254), QString("lib"));
            QCOMPARE(source->item(4)->data(Qt::AccessibleTextRole).toString(),
                     QString("lib, icon 4"));
            clickItem(source, 4);
            clickItem(source, 1, Qt::ControlModifier);
            clickItem(source, 3, Qt::ControlModifier);
            click(dialog, 3);
            click(dialog, 9);
            QCOMPARE(field(dialog, 1254), path("pics"));
            clickItem(source, 1);
            clickItem(source, 2, Qt::ControlModifier);
            click(dialog, 3);
            for (int twice = 0; twice < 2; ++twice) {
                clickItem(source, 0);
                click(dialog, 3);
            }
            clickItem(list(dialog, 1114), 6);
            click(dialog, 4);
            for (const auto& [entry, text] : std::vector<std::pair<int, QString>>{
                     {0, "One"}, {1, "Three"}, {2, "Four"}, {3, "Green"}, {5, "Blue"}}) {
                clickItem(list(dialog, 1114), entry);
                control<QLineEdit>(dialog, 1014)->setText(text);
                click(dialog, 12);
            }
            clickItem(list(dialog, 1114), 5);
            click(dialog, 6);
            click(dialog, 6);
            checkSet(dialog);
            click(dialog, 13);
            QCOMPARE(field(dialog, 1255), QString("mine"));
        });
        QVERIFY(boxes_.empty()); // saved, so closing asked nothing

        paths_ = {path("mine.ims")};
        runEditor([&](CreateImageSetDialog& dialog) {
            QCOMPARE(list(dialog, 1114)->count(), 0);
            click(dialog, 11);
            checkSet(dialog);
        });

        paths_ = {path("mine.ims")};
        t.action(command::UseCustomImageSet)->trigger();
        QVERIFY(boxes_.empty());
        QTRY_COMPARE(t.session()->picturesPending(), 0);
        // Each deal shuffles the images, so they are compared as a whole.
        std::vector<std::pair<QRgb, QString>> played;
        int blueImage = -1;
        for (int i = 0; i < t.images().imageCount(); ++i) {
            const CSetImage* image = t.images().image(i);
            played.emplace_back(
                centreOf(image->isBitmap ? image->bitmap : image->icon.pixmap(48, 48)),
                image->text);
            blueImage = image->text == "Blue" ? i : blueImage;
        }
        std::sort(played.begin(), played.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(played, expected);
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

// The image set editor's window, on pictures made here: icons drawn with QImage and written by
// Qt's ICO writer, an icon library laid out by the NE helper of tests/support, PNG and SVG
// files written by the test.
#include "core/settings/memorysettingsstore.h"
#include "qt/app/commands.h"
#include "qt/editor/createimagesetdialog.h"
#include "qt/editor/editorlist.h"
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

using namespace gemino;

namespace {

// Group k of the library is red level 10 + 20k.
QRgb libraryColour(int k) {
    return qRgb(10 + 20 * k, 160, 60);
}

QRgb centreOf(const QPixmap& pixmap) {
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2);
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
    // The six buttons the editor enables show as the editor says.
    static void checkButtons(CreateImageSetDialog& dialog) {
        const EditorButtons& b = dialog.editor().buttons();
        QList<bool> shown;
        for (const int id : {3, 10, 12, 4, 6, 7}) {
            shown << control(dialog, id)->isEnabled();
        }
        QCOMPARE(shown, QList<bool>({b.add, b.save, b.setText, b.remove, b.moveUp, b.moveDown}));
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
        for (const auto& [id, where] : placed) {
            const auto& [text, r] = where;
            auto* control = dialog.findChild<QWidget*>(QString::number(id));
            QVERIFY2(control, qPrintable(QString::number(id)));
            QCOMPARE(control->geometry(), units.toPixels(r.x(), r.y(), r.width(), r.height()));
            if (auto* button = qobject_cast<QPushButton*>(control)) {
                QCOMPARE(button->text(), text);
            }
        }
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>("-1")) {
            labels << label->text();
        }
        QCOMPARE(labels, QStringList({"Images In:", "Select Images from Files and in Folders",
                                      "Image Set Name:", "Images in the Image Set", "Image Text"}));
        const auto controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 22);
        for (QWidget* a : controls) {
            QVERIFY(dialog.rect().contains(a->geometry()));
            for (QWidget* b : controls) {
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " " + b->objectName()));
            }
        }
        QCOMPARE(list(dialog, 1115)->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list(dialog, 1114)->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(control<QLineEdit>(dialog, 1254)->isReadOnly());
    }

    // A set built from an icon library and a folder, saved, given texts and saved again, then
    // opened in a new editor: the same pictures, texts and order. Failures and the two "nothing
    // here" boxes on the way name the file and change nothing; closing the changed set offers
    // to save it.
    void aSetIsBuiltSavedAndOpenedAgain() {
        {
            GuiTable t(3);
            bool opened = false;
            QTimer::singleShot(0, this, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                opened = qobject_cast<CreateImageSetDialog*>(modal) != nullptr;
                if (modal) {
                    modal->close();
                }
            });
            t.action(command::CreateCustomImageSet)->trigger();
            QVERIFY(opened);
        }
        const std::vector<std::pair<QRgb, QString>> expected = {
            {libraryColour(1), "One"}, {libraryColour(3), "Three"}, {libraryColour(4), "Four"},
            {qRgb(0, 0, 200), "Blue"}, {qRgb(0, 200, 0), "Green"},  {qRgb(200, 0, 200), ""}};
        const auto checkSet = [&](CreateImageSetDialog& dialog) {
            EditorList* set = list(dialog, 1114);
            QCOMPARE(set->count(), 6);
            for (int i = 0; i < 6; ++i) {
                const auto& [colour, text] = expected[std::size_t(i)];
                const EditorEntry& entry = dialog.editor().entries()[std::size_t(i)];
                QCOMPARE(centreOf(set->item(i)->icon().pixmap(kEditorImageSide)), colour);
                QCOMPARE(QString::fromStdString(entry.text), text);
                // A screen reader is told an item by its text, else by its file's title.
                QCOMPARE(set->item(i)->data(Qt::AccessibleTextRole).toString(),
                         text.isEmpty() ? QFileInfo(QString::fromStdString(entry.path)).baseName()
                                        : text);
            }
        };

        store_.WriteString(key::BrowseFileDir, path("pics").toStdString());
        store_.WriteString(key::BrowseFileFilter, "png");
        CreateImageSetDialog dialog(store_, dir_.path());
        dialog.show();
        EditorList* source = list(dialog, 1115);
        EditorList* set = list(dialog, 1114);
        paths_ = {path("noicons.dll"), path("empty"),         path("lib.icl"),
                  path("pics"),        path("nowhere/x.ims"), path("mine.ims")};
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
        boxes_.clear();
        click(dialog, 5);
        QCOMPARE(store_.ReadString(key::BrowseFileFilter, ""), std::string("icl"));
        QVERIFY(!QGuiApplication::overrideCursor()); // the wait cursor went with the work
        QCOMPARE(field(dialog, 1254), QString("lib"));
        QCOMPARE(source->item(4)->data(Qt::AccessibleTextRole).toString(), QString("lib, icon 4"));
        clickItem(source, 4);
        clickItem(source, 1, Qt::ControlModifier);
        clickItem(source, 3, Qt::ControlModifier);
        click(dialog, 3);
        click(dialog, 9);
        QCOMPARE(field(dialog, 1254), path("pics"));
        for (const int item : {2, 0, 1}) {
            clickItem(source, item, item == 2 ? Qt::NoModifier : Qt::ControlModifier);
        }
        click(dialog, 3);
        checkButtons(dialog);
        // Icons 1, 3, 4, then the folder's b.ico, a.png, c.SVG: b.ico moves down and back.
        clickItem(set, 3);
        click(dialog, 7);
        click(dialog, 6);
        click(dialog, 13);
        QCOMPARE(boxes_.size(), 1);
        QVERIFY(boxes_[0].startsWith("Image Set Not Saved: Gemino could not save the image set\n" +
                                     path("nowhere/x.ims") +
                                     "\n\nNo file can be created in its folder"));
        click(dialog, 13);
        QCOMPARE(field(dialog, 1255), QString("mine"));
        checkButtons(dialog);
        for (int i = 0; i < 5; ++i) {
            clickItem(set, i);
            checkButtons(dialog);
            auto* text = control<QLineEdit>(dialog, 1014);
            text->setText(expected[std::size_t(i)].second);
            // Return in the field gives the text as "Set" does.
            i == 4 ? QTest::keyClick(text, Qt::Key_Return) : click(dialog, 12);
        }
        checkSet(dialog);
        click(dialog, 10);
        checkButtons(dialog);

        CreateImageSetDialog opened(store_, dir_.path());
        opened.show();
        QVERIFY(write(path("cut.ims"), QByteArray("\x02\0\0\0\0\0\0\0/a.png\nA\n", 18)));
        paths_ = {path("cut.ims"), path("mine.ims")};
        click(opened, 11);
        QCOMPARE(boxes_.size(), 2);
        QVERIFY(boxes_[1].startsWith("Image Set Not Opened: Gemino could not read the image set\n" +
                                     path("cut.ims") + "\n\n"));
        QVERIFY(boxes_[1].contains(
            "The file is truncated: it ends before image 2 of the 2 it announces is complete."));
        QCOMPARE(list(opened, 1114)->count(), 0);
        click(opened, 11);
        checkSet(opened);

        // Without a mouse, arrow keys pick as clicks do; a click beside every item picks none.
        set = list(opened, 1114);
        set->setFocus();
        set->setCurrentRow(0);
        QTest::keyClick(set, Qt::Key_Right);
        QCOMPARE(opened.editor().selectedEntry(), 1);
        QCOMPARE(field(opened, 1014), QString("Three"));
        click(opened, 6);
        QCOMPARE(set->currentRow(), 0);
        checkButtons(opened);
        const QSize area = set->viewport()->size();
        QTest::mouseClick(set->viewport(), Qt::LeftButton, {},
                          QPoint(area.width() - 3, area.height() - 3));
        QCOMPARE(opened.editor().selectedEntry(), -1);
        QVERIFY(set->selectedItems().isEmpty());
        checkButtons(opened);
        clickItem(set, 5);
        click(opened, 4);
        QCOMPARE(set->count(), 5);
        checkButtons(opened);

        // Escape, the close box and "&Cancel" all offer to save the changed set first.
        answers_ = {MessageAnswer::Cancel, MessageAnswer::Cancel, MessageAnswer::No};
        QTest::keyClick(&opened, Qt::Key_Escape);
        opened.close();
        QVERIFY(opened.isVisible());
        click(opened, 2);
        QVERIFY(!opened.isVisible());
        QCOMPARE(opened.result(), int(QDialog::Rejected));
        QCOMPARE(boxes_.mid(2),
                 QStringList(3, "Save Image Set?: The image set that you are editing "
                                "has changed. Do you want to save it before exiting?"));

        // The saved set is played: its pictures and texts are dealt, and the blue image,
        // uncovered, shows its picture with its text below.
        GuiTable t(3);
        boxes_.clear();
        paths_ = {path("mine.ims")};
        t.action(command::UseCustomImageSet)->trigger();
        QVERIFY(boxes_.empty());
        QTRY_COMPARE(t.session()->picturesPending(), 0);
        std::vector<std::pair<QRgb, QString>> played;
        int blueImage = -1;
        for (int i = 0; i < t.images().imageCount(); ++i) {
            const CSetImage* image = t.images().image(i);
            played.emplace_back(
                centreOf(image->isBitmap ? image->bitmap : image->icon.pixmap(48, 48)),
                image->text);
            blueImage = image->text == "Blue" ? i : blueImage;
        }
        auto sorted = expected; // each deal shuffles the images, so they are compared as a whole
        std::sort(played.begin(), played.end());
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(played, sorted);
        const auto& cells = t.state().cellImage;
        const int cell = int(std::find(cells.begin(), cells.end(), blueImage) - cells.begin());
        QTest::mouseClick(t.button(cell), Qt::LeftButton);
        const QRect face = t.button(cell)->geometry();
        const QImage board = t.grab();
        QVERIFY(countColor(board, face, qRgb(0, 0, 200)) > face.width() * face.height() / 2);
        QVERIFY(countDark(board, face.translated(0, face.height()).adjusted(-10, 0, 10, 0)) > 5);
    }
};

QTEST_MAIN(TestEditorDialog)
#include "tst_editordialog.moc"

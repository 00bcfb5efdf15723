#include "app/boardlayoutdialog.h"
#include "app/commands.h"
#include "app/dialogunits.h"
#include "app/displaypropertiesdialog.h"
#include "app/playernamesdialog.h"
#include "app/spincontrol.h"
#include "board/geometry.h"
#include "gui/guitable.h"
#include "imagesets/setimage.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace gemino;

namespace {

template <typename T = QWidget> T* Control(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void Click(const QWidget* dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    QVERIFY2(button, qPrintable(QString("no button %1").arg(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

QString Text(const QWidget* dialog, int id) {
    return Control<QLineEdit>(dialog, id)->text();
}

int Position(const QWidget* dialog, int spinId) {
    return Control<SpinControl>(dialog, spinId)->position();
}

// The ways a user moves a spin: a key in its number field, a key on the spin itself, or a click
// on one of its arrows.
enum class StepBy { FieldKey, SpinKey, Arrow };

void Step(const QWidget* dialog, int spinId, int delta, StepBy by = StepBy::FieldKey) {
    auto* spin = Control<SpinControl>(dialog, spinId);
    const Qt::Key key = delta > 0 ? Qt::Key_Up : Qt::Key_Down;
    for (int n = 0; n < std::abs(delta); ++n) {
        switch (by) {
        case StepBy::FieldKey:
            QTest::keyClick(spin->buddy(), key);
            break;
        case StepBy::SpinKey:
            QTest::keyClick(spin, key);
            break;
        case StepBy::Arrow: {
            const int y = delta > 0 ? spin->height() / 4 : spin->height() * 3 / 4;
            QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, y));
            break;
        }
        }
    }
}

// Types `text` key by key, letters outside ASCII included.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QRect Cell(const GuiTable& t, int cell) {
    return t.button(cell)->geometry();
}

// Uncovers one cell, so that a new deal, which covers every cell again, shows.
void StartTurn(GuiTable& t) {
    QTest::mouseClick(t.button(0), Qt::LeftButton);
    QCOMPARE(t.state().firstPick, 0);
}

bool NewGameDealt(const GuiTable& t) {
    return t.state().firstPick == -1 && t.state().awaitingFirstPick == 1;
}

int StoredInt(const GuiTable& t, const char* name) {
    const auto it = t.store.values().find(name);
    return it == t.store.values().end() ? -1 : std::get<int>(it->second);
}

std::string StoredString(const GuiTable& t, const char* name) {
    const auto it = t.store.values().find(name);
    return it == t.store.values().end() ? "<missing>" : std::get<std::string>(it->second);
}

// Turns the first image of the set into a bitmap whose picture is not loaded, so that a reload
// shows as a picture of the button's size.
CSetImage* PlantUnloadedBitmap(GuiTable& t, const QTemporaryDir& dir) {
    const QString path = dir.filePath("planted.png");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::green);
    if (!picture.save(path)) {
        return nullptr;
    }
    CSetImage* image = t.board()->images().image(0);
    image->isBitmap = true;
    image->path = path;
    image->bitmap = QPixmap();
    return image;
}

// Triggers a command and, once its modal dialog is up, lets `drive` work it. A dialog that
// `drive` leaves open is cancelled, so a failing check cannot hang the test.
template <typename Dialog>
bool RunCommand(GuiTable& t, int command, const std::function<void(Dialog&)>& drive) {
    bool found = false;
    // Should the command open nothing, the check dies with this call instead of running later.
    const QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            found = true;
            drive(*dialog);
        }
        if (modal && modal->isVisible()) {
            modal->close();
        }
    });
    t.action(command)->trigger();
    return found;
}

// Pixels of `area` (in widget coordinates) that differ from its top-left pixel, the background.
int Ink(const QImage& image, const QRect& logical) {
    const qreal ratio = image.devicePixelRatio();
    const QRect area = QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio)
                           .toRect()
                           .intersected(image.rect());
    const QRgb background = image.pixel(area.topLeft());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += image.pixel(x, y) != background;
        }
    }
    return n;
}

std::unique_ptr<QDialog> MakeDialog(GuiTable& t, int templateId) {
    switch (templateId) {
    case 181:
        return std::make_unique<BoardLayoutDialog>(*t.board(), t.window.get());
    case 182:
        return std::make_unique<PlayerNamesDialog>(t.settings, t.window.get());
    default:
        return std::make_unique<DisplayPropertiesDialog>(t.settings, t.window.get());
    }
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void dialogFrame_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("units");
        QTest::newRow("board layout") << 181 << " Board Layout" << QSize(193, 146);
        QTest::newRow("player names") << 182 << " Player Names" << QSize(185, 83);
        QTest::newRow("display properties") << 183 << " Display Properties" << QSize(205, 132);
    }
    void dialogFrame() {
        QFETCH(int, templateId);
        QFETCH(QString, caption);
        QFETCH(QSize, units);
        GuiTable t;
        const auto dialog = MakeDialog(t, templateId);
        const DialogUnits du(DialogUnits::DialogFont());
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(dialog->objectName(), QString::number(templateId));
        QVERIFY(dialog->isModal());
        QVERIFY(!dialog->windowIcon().isNull());
        QCOMPARE(dialog->font().pointSize(), 8);
        QCOMPARE(dialog->size(), QSize(du.toPixelsX(units.width()), du.toPixelsY(units.height())));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    }

    void dialogControls_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("units");
        auto row = [](int dialog, int id, const char* kind, const char* text, QRect units) {
            QTest::addRow("%d/%d %s", dialog, id, text) << dialog << id << kind << text << units;
        };
        row(181, -1, "label", "Number of Columns of Images", {9, 7, 102, 8});
        const int radioIds[] = {1008, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1009, 1010};
        for (int k = 1; k <= 10; ++k) {
            const QRect r = k <= 5 ? QRect(128, 7 + 14 * (k - 1), k < 5 ? 26 : 23, 10)
                                   : QRect(165, 7 + 14 * (k - 6), 23, 10);
            row(181, radioIds[k - 1], "radio", QByteArray::number(k).constData(), r);
        }
        row(181, -1, "label", "Image Size", {9, 85, 102, 8});
        row(181, 1011, "number", "", {127, 82, 40, 14});
        row(181, 1012, "spin", "", {169, 82, 10, 14});
        row(181, -1, "label", "Spacing Between Images", {9, 106, 102, 8});
        row(181, 1013, "number", "", {127, 103, 40, 14});
        row(181, 1014, "spin", "", {169, 103, 10, 14});
        row(181, 1, "button", "OK", {11, 125, 50, 14});
        row(181, 3, "button", "Use Defaults", {71, 125, 50, 14});
        row(181, 2, "button", "Cancel", {131, 125, 50, 14});

        row(183, 1017, "check", "Highlight Matched Images", {9, 7, 123, 13});
        row(183, 1018, "check", "Display Matcher Name", {9, 24, 123, 13});
        row(183, 1019, "check", "Display Image Text", {9, 41, 123, 13});
        row(183, -1, "label", "Unmatched Image Display Time (ms)", {9, 66, 129, 8});
        row(183, 1015, "number", "", {141, 63, 40, 14});
        row(183, 1020, "spin", "", {183, 63, 10, 14});
        row(183, -1, "label", "# Flashes of Matched Images", {9, 87, 102, 8});
        row(183, 1016, "number", "", {141, 84, 40, 14});
        row(183, 1021, "spin", "", {183, 84, 10, 14});
        row(183, 1, "button", "OK", {9, 110, 50, 14});
        row(183, 3, "button", "Use Defaults", {76, 110, 50, 14});
        row(183, 2, "button", "Cancel", {143, 110, 50, 14});

        row(182, -1, "label", "Player 1", {9, 14, 39, 8});
        row(182, 1013, "edit", "", {52, 12, 119, 14});
        row(182, -1, "label", "Player 2", {9, 37, 39, 8});
        row(182, 1014, "edit", "", {52, 35, 119, 14});
        row(182, 1, "button", "OK", {27, 62, 50, 14});
        row(182, 2, "button", "Cancel", {106, 62, 50, 14});
    }
    void dialogControls() {
        QFETCH(int, templateId);
        QFETCH(int, id);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QRect, units);
        GuiTable t;
        const auto dialog = MakeDialog(t, templateId);
        const DialogUnits du(DialogUnits::DialogFont());

        QWidget* control = nullptr;
        if (id == -1) {
            for (QLabel* label : dialog->findChildren<QLabel*>("-1")) {
                if (label->text() == text) {
                    control = label;
                }
            }
        } else {
            control = Control(dialog.get(), id);
        }
        QVERIFY(control);
        QCOMPARE(control->geometry(),
                 du.toPixels(units.x(), units.y(), units.width(), units.height()));
        if (kind == "radio") {
            QVERIFY(qobject_cast<QRadioButton*>(control));
        } else if (kind == "check") {
            QVERIFY(qobject_cast<QCheckBox*>(control));
        } else if (kind == "button") {
            QVERIFY(qobject_cast<QPushButton*>(control));
            QCOMPARE(static_cast<QPushButton*>(control)->isDefault(), id == 1);
        } else if (kind == "number" || kind == "edit") {
            auto* edit = qobject_cast<QLineEdit*>(control);
            QVERIFY(edit);
            QCOMPARE(edit->isReadOnly(), kind == "number");
        } else if (kind == "spin") {
            QVERIFY(qobject_cast<SpinControl*>(control));
        }
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QCOMPARE(button->text(), text);
        }
        // Nothing is cut off at the dialog's edges.
        QVERIFY(dialog->rect().contains(control->geometry()));
    }

    void columnButtonsFollowImageCount_data() {
        QTest::addColumn<int>("imageCount");
        QTest::addColumn<int>("enabled");
        QTest::newRow("20 images") << 20 << 10;
        QTest::newRow("12 images") << 12 << 6;
        QTest::newRow("3 images") << 3 << 1;
        QTest::newRow("1 image") << 1 << 0;
        QTest::newRow("no images") << 0 << 0;
    }
    void columnButtonsFollowImageCount() {
        QFETCH(int, imageCount);
        QFETCH(int, enabled);
        GuiTable t;
        t.board()->images().SetCount(imageCount);
        BoardLayoutDialog dialog(*t.board(), t.window.get());
        for (int k = 1; k <= 10; ++k) {
            auto* radio = Control<QRadioButton>(&dialog, BoardLayoutDialog::ColumnButtonId(k));
            QCOMPARE(radio->text(), QString::number(k));
            QCOMPARE(radio->isEnabled(), k <= enabled);
            // The current choice stays marked even where the set could no longer fill it.
            QCOMPARE(radio->isChecked(), k == 8);
        }
    }

    void columnChoiceThenCancelKeepsTheGameButRewritesSize() {
        GuiTable t;
        QTemporaryDir dir;
        CSetImage* bitmap = PlantUnloadedBitmap(t, dir);
        QVERIFY(bitmap);
        StartTurn(t);
        const QRect cell8 = Cell(t, 8);
        const int writes = t.store.writeCount();

        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout, [&](auto& dialog) {
            Click(&dialog, 1010);
            QVERIFY(dialog.columnsChanged());
            QCOMPARE(dialog.chosenColumns(), 10);
            // Nothing moves before "OK".
            QCOMPARE(t.settings.columns, 8);
            QCOMPARE(Cell(t, 8), cell8);
            Click(&dialog, 2);
        }));

        QCOMPARE(t.settings.columns, 8);
        QVERIFY(!t.store.contains(key::NumberColumns));
        QCOMPARE(Cell(t, 8), cell8);
        QVERIFY(!NewGameDealt(t));
        // The column click counts as a size change: size and spacing are written again as they
        // were, and the bitmaps reloaded.
        QCOMPARE(t.store.writeCount(), writes + 2);
        QCOMPARE(StoredInt(t, key::ButtonSize), 50);
        QCOMPARE(StoredInt(t, key::ButtonSpacing), 12);
        QCOMPARE(bitmap->bitmap.size(), QSize(50, 50));
    }

    void columnChoiceConfirmedDealsANewGame() {
        GuiTable t;
        StartTurn(t);
        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout, [&](auto& dialog) {
            Click(&dialog, 1003); // "4"
            Click(&dialog, 1);
        }));
        QCOMPARE(t.settings.columns, 4);
        QCOMPARE(StoredInt(t, key::NumberColumns), 4);
        QCOMPARE(t.board()->game().cellsInPlay(), 16);
        QVERIFY(NewGameDealt(t));
        QCOMPARE(Cell(t, 4), QRect(10, 72, 50, 50));
        QCOMPARE(t.button(15)->text(), QString("D-4"));
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(t.button(i)->isVisible(), i < 16);
        }
        QCOMPARE(StoredInt(t, key::ButtonSize), 50);
        QCOMPARE(StoredInt(t, key::ButtonSpacing), 12);
    }

    void confirmingWithoutChangesWritesAndDealsNothing() {
        GuiTable t;
        StartTurn(t);
        const int writes = t.store.writeCount();
        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout,
                                              [](auto& dialog) { Click(&dialog, 1); }));
        QCOMPARE(t.store.writeCount(), writes);
        QVERIFY(!NewGameDealt(t));
    }

    void sizeSpunTo120AndCancelledStays() {
        GuiTable t;
        QTemporaryDir dir;
        CSetImage* bitmap = PlantUnloadedBitmap(t, dir);
        QVERIFY(bitmap);
        StartTurn(t);
        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout, [&](auto& dialog) {
            QCOMPARE(Text(&dialog, 1011), QString("50"));
            Step(&dialog, 1012, 30, StepBy::FieldKey);
            Step(&dialog, 1012, 20, StepBy::SpinKey);
            Step(&dialog, 1012, 21, StepBy::Arrow);
            Step(&dialog, 1012, -1, StepBy::Arrow);
            QCOMPARE(Text(&dialog, 1011), QString("120"));
            QCOMPARE(Position(&dialog, 1012), 120);
            QVERIFY(dialog.sizeChanged());
            // The board follows while the dialog is still open.
            QCOMPARE(Cell(t, 9), QRect(142, 142, 120, 120));
            QVERIFY(!t.store.contains(key::ButtonSize));
            Click(&dialog, 2);
        }));
        QCOMPARE(t.settings.buttonSize, 120);
        QCOMPARE(Cell(t, 9), QRect(142, 142, 120, 120));
        QCOMPARE(StoredInt(t, key::ButtonSize), 120);
        QCOMPARE(StoredInt(t, key::ButtonSpacing), 12);
        QCOMPARE(bitmap->bitmap.size(), QSize(120, 120));
        QVERIFY(!NewGameDealt(t));
    }

    void spacingSpunTo45AndConfirmedIsStoredButNotReadBack() {
        GuiTable t;
        StartTurn(t);
        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout, [&](auto& dialog) {
            Step(&dialog, 1014, 33, StepBy::FieldKey);
            QCOMPARE(Text(&dialog, 1013), QString("45"));
            Click(&dialog, 1);
        }));
        QCOMPARE(t.settings.buttonSpacing, 45);
        QCOMPARE(Cell(t, 9), QRect(105, 105, 50, 50));
        QCOMPARE(StoredInt(t, key::ButtonSpacing), 45);
        QVERIFY(!NewGameDealt(t));
        // The loader accepts at most 40, so the next start falls back to the default.
        GameSettings next;
        LoadSettings(next, t.store, "/start");
        QCOMPARE(next.buttonSpacing, 12);
    }

    void useDefaultsAppliesAndWritesAtOnce() {
        GuiTable t;
        t.settings.buttonSize = 80;
        t.settings.buttonSpacing = 20;
        t.board()->LayoutButtons();
        QTemporaryDir dir;
        CSetImage* bitmap = PlantUnloadedBitmap(t, dir);
        QVERIFY(bitmap);
        StartTurn(t);
        const int writes = t.store.writeCount();
        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout, [&](auto& dialog) {
            QCOMPARE(Text(&dialog, 1011), QString("80"));
            QCOMPARE(Text(&dialog, 1013), QString("20"));
            Click(&dialog, 3);
            QCOMPARE(Text(&dialog, 1011), QString("50"));
            QCOMPARE(Text(&dialog, 1013), QString("12"));
            QCOMPARE(Position(&dialog, 1012), 50);
            QCOMPARE(Position(&dialog, 1014), 12);
            QCOMPARE(Cell(t, 9), QRect(72, 72, 50, 50));
            QCOMPARE(t.store.writeCount(), writes + 2);
            QCOMPARE(StoredInt(t, key::ButtonSize), 50);
            QCOMPARE(StoredInt(t, key::ButtonSpacing), 12);
            QCOMPARE(bitmap->bitmap.size(), QSize(50, 50));
            QVERIFY(!dialog.sizeChanged());
            Click(&dialog, 2);
        }));
        QCOMPARE(t.settings.buttonSize, 50);
        QCOMPARE(t.settings.buttonSpacing, 12);
        QCOMPARE(Cell(t, 9), QRect(72, 72, 50, 50));
        QCOMPARE(t.store.writeCount(), writes + 2);
        QVERIFY(!NewGameDealt(t));
    }

    void useDefaultsLeavesTheColumnChoice() {
        GuiTable t;
        t.settings.buttonSize = 80;
        t.board()->LayoutButtons();
        QVERIFY(RunCommand<BoardLayoutDialog>(t, command::BoardLayout, [&](auto& dialog) {
            Click(&dialog, 1003);
            Click(&dialog, 3);
            QVERIFY(Control<QRadioButton>(&dialog, 1003)->isChecked());
            QVERIFY(dialog.columnsChanged());
            Click(&dialog, 1);
        }));
        QCOMPARE(t.settings.columns, 4);
        QCOMPARE(Cell(t, 5), QRect(72, 72, 50, 50));
        QVERIFY(NewGameDealt(t));
    }

    // Each step is offered to the dialog, which refuses those outside the range and leaves the
    // number and the spin as they were.
    void spinSteps_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<int>("spinId");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("by");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("position");
        const int field = int(StepBy::FieldKey);
        const int key = int(StepBy::SpinKey);
        const int arrow = int(StepBy::Arrow);
        QTest::newRow("size 199 up") << 181 << 1012 << 199 << 1 << arrow << "200" << 200;
        QTest::newRow("size 200 up refused") << 181 << 1012 << 200 << 1 << arrow << "200" << 200;
        QTest::newRow("size 32 down refused") << 181 << 1012 << 32 << -1 << arrow << "32" << 32;
        QTest::newRow("spacing 49 up") << 181 << 1014 << 49 << 1 << key << "50" << 50;
        QTest::newRow("spacing 50 up refused") << 181 << 1014 << 50 << 1 << field << "50" << 50;
        QTest::newRow("spacing 1 down refused") << 181 << 1014 << 1 << -1 << arrow << "1" << 1;
        QTest::newRow("time 1500 up") << 183 << 1020 << 1500 << 1 << field << "1510" << 151;
        QTest::newRow("time 5000 up refused") << 183 << 1020 << 5000 << 1 << arrow << "5000" << 500;
        QTest::newRow("time 250 down refused") << 183 << 1020 << 250 << -1 << field << "250" << 25;
        QTest::newRow("time 1505 up") << 183 << 1020 << 1505 << 1 << field << "1510" << 151;
        // A stored time below the spin's range puts the spin at its bottom.
        QTest::newRow("time 100 down refused") << 183 << 1020 << 100 << -1 << arrow << "100" << 25;
        QTest::newRow("time 100 up") << 183 << 1020 << 100 << 1 << arrow << "260" << 26;
        QTest::newRow("flashes 1 up") << 183 << 1021 << 1 << 1 << arrow << "2" << 2;
        QTest::newRow("flashes 7 up refused") << 183 << 1021 << 7 << 1 << key << "7" << 7;
        QTest::newRow("flashes 1 down refused") << 183 << 1021 << 1 << -1 << field << "1" << 1;
    }
    void spinSteps() {
        QFETCH(int, templateId);
        QFETCH(int, spinId);
        QFETCH(int, start);
        QFETCH(int, delta);
        QFETCH(int, by);
        QFETCH(QString, shown);
        QFETCH(int, position);
        GuiTable t;
        int* setting = spinId == 1012   ? &t.settings.buttonSize
                       : spinId == 1014 ? &t.settings.buttonSpacing
                       : spinId == 1020 ? &t.settings.unmatchedDisplayTime
                                        : &t.settings.matchFlashes;
        *setting = start;
        t.board()->LayoutButtons();
        const auto dialog = MakeDialog(t, templateId);
        const int editId =
            Control<SpinControl>(dialog.get(), spinId)->buddy()->objectName().toInt();
        QCOMPARE(Text(dialog.get(), editId), QString::number(start));

        const bool moved = shown != QString::number(start);
        QCOMPARE(Position(dialog.get(), spinId), moved ? position - delta : position);
        Step(dialog.get(), spinId, delta, StepBy(by));
        QCOMPARE(Text(dialog.get(), editId), shown);
        QCOMPARE(Position(dialog.get(), spinId), position);
        if (templateId == 181) {
            // The board layout spins act on the board at once, and only when they move.
            auto* layout = static_cast<BoardLayoutDialog*>(dialog.get());
            QCOMPARE(layout->sizeChanged(), moved);
            QCOMPARE(*setting, shown.toInt());
            const int pitch = t.settings.buttonSize + t.settings.buttonSpacing;
            QCOMPARE(Cell(t, 9),
                     QRect(10 + pitch, 10 + pitch, t.settings.buttonSize, t.settings.buttonSize));
        } else {
            // Display properties wait for "OK".
            QCOMPARE(*setting, start);
        }
    }

    void numberFieldsIgnoreTyping() {
        GuiTable t;
        BoardLayoutDialog dialog(*t.board(), t.window.get());
        QTest::keyClicks(Control<QLineEdit>(&dialog, 1011), "99");
        QTest::keyClick(Control<QLineEdit>(&dialog, 1011), Qt::Key_Backspace);
        QCOMPARE(Text(&dialog, 1011), QString("50"));
        QCOMPARE(t.settings.buttonSize, 50);
    }

    void displayPropertiesConfirmedUnchangedWritesNothing() {
        GuiTable t;
        StartTurn(t);
        const int writes = t.store.writeCount();
        QVERIFY(RunCommand<DisplayPropertiesDialog>(t, command::DisplayProperties,
                                                    [](auto& dialog) { Click(&dialog, 1); }));
        QCOMPARE(t.store.writeCount(), writes);
        QVERIFY(!NewGameDealt(t));
    }

    void displayPropertiesWriteOnlyWhatChanged() {
        GuiTable t;
        StartTurn(t);
        const int writes = t.store.writeCount();
        QVERIFY(RunCommand<DisplayPropertiesDialog>(t, command::DisplayProperties, [&](auto& d) {
            Click(&d, 1018);
            QVERIFY(!d.matcherName()); // the value follows the box at once
            Click(&d, 1017);
            Click(&d, 1017); // and back: no change
            Step(&d, 1021, 2, StepBy::Arrow);
            Step(&d, 1020, 3, StepBy::FieldKey);
            Step(&d, 1020, -3, StepBy::SpinKey); // and back
            QVERIFY(!t.store.contains(key::MatchFlashes));
            Click(&d, 1);
        }));
        QCOMPARE(t.store.writeCount(), writes + 2);
        QCOMPARE(StoredInt(t, key::DisplayMatcherName), 0);
        QCOMPARE(StoredInt(t, key::MatchFlashes), 5);
        QVERIFY(!t.settings.displayMatcherName);
        QCOMPARE(t.settings.matchFlashes, 5);
        QVERIFY(t.settings.highlightMatchedImages);
        QCOMPARE(t.settings.unmatchedDisplayTime, 1500);
        QVERIFY(!NewGameDealt(t));
    }

    void displayUseDefaults_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("then Cancel") << false;
        QTest::newRow("then OK") << true;
    }
    void displayUseDefaults() {
        QFETCH(bool, confirm);
        GuiTable t;
        t.settings.highlightMatchedImages = true;
        t.settings.displayMatcherName = false;
        t.settings.displayImageText = false;
        t.settings.unmatchedDisplayTime = 800;
        t.settings.matchFlashes = 6;
        const GameSettings before = t.settings;
        QVERIFY(RunCommand<DisplayPropertiesDialog>(t, command::DisplayProperties, [&](auto& d) {
            QVERIFY(Control<QCheckBox>(&d, 1017)->isChecked());
            QVERIFY(!Control<QCheckBox>(&d, 1018)->isChecked());
            QVERIFY(!Control<QCheckBox>(&d, 1019)->isChecked());
            QCOMPARE(Text(&d, 1015), QString("800"));
            QCOMPARE(Position(&d, 1020), 80);
            QCOMPARE(Text(&d, 1016), QString("6"));
            QCOMPARE(Position(&d, 1021), 6);
            Click(&d, 3);
            QVERIFY(!Control<QCheckBox>(&d, 1017)->isChecked());
            QVERIFY(Control<QCheckBox>(&d, 1018)->isChecked());
            QVERIFY(Control<QCheckBox>(&d, 1019)->isChecked());
            QCOMPARE(Text(&d, 1015), QString("1500"));
            QCOMPARE(Position(&d, 1020), 150);
            QCOMPARE(Text(&d, 1016), QString("3"));
            QCOMPARE(Position(&d, 1021), 3);
            QCOMPARE(t.store.writeCount(), 0);
            Click(&d, confirm ? 1 : 2);
        }));
        if (!confirm) {
            QCOMPARE(t.store.writeCount(), 0);
            QCOMPARE(t.settings.highlightMatchedImages, before.highlightMatchedImages);
            QCOMPARE(t.settings.displayMatcherName, before.displayMatcherName);
            QCOMPARE(t.settings.displayImageText, before.displayImageText);
            QCOMPARE(t.settings.unmatchedDisplayTime, before.unmatchedDisplayTime);
            QCOMPARE(t.settings.matchFlashes, before.matchFlashes);
            return;
        }
        QCOMPARE(t.store.writeCount(), 5);
        QCOMPARE(StoredInt(t, key::HighlightMatchedImages), 0);
        QCOMPARE(StoredInt(t, key::DisplayMatcherName), 1);
        QCOMPARE(StoredInt(t, key::DisplayImageText), 1);
        QCOMPARE(StoredInt(t, key::UnmatchedDisplayTime), 1500);
        QCOMPARE(StoredInt(t, key::MatchFlashes), 3);
        QVERIFY(!t.settings.highlightMatchedImages);
    }

    void playerNames_data() {
        QTest::addColumn<QString>("name1");
        QTest::addColumn<QString>("name2");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("both emptied") << ""
                                      << "" << true;
        QTest::newRow("renamed") << "Ann"
                                 << "Bob Äström" << true;
        QTest::newRow("unchanged, still written") << "Player 1"
                                                  << "Player 2" << true;
        QTest::newRow("cancelled") << "Ann"
                                   << "" << false;
    }
    void playerNames() {
        QFETCH(QString, name1);
        QFETCH(QString, name2);
        QFETCH(bool, confirm);
        GuiTable t;
        StartTurn(t);
        const QRect band(0, ScoreTop(t.board()->geometry()), t.board()->width(), 64);
        const int inkBefore = Ink(t.grab(), band);
        QVERIFY(RunCommand<PlayerNamesDialog>(t, command::PlayerNames, [&](auto& d) {
            QCOMPARE(Text(&d, 1013), QString("Player 1"));
            QCOMPARE(Text(&d, 1014), QString("Player 2"));
            for (const auto& [id, name] : {std::pair{1013, name1}, std::pair{1014, name2}}) {
                auto* edit = Control<QLineEdit>(&d, id);
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
                Type(edit, name);
                QCOMPARE(edit->text(), name);
            }
            Click(&d, confirm ? 1 : 2);
        }));
        QVERIFY(!NewGameDealt(t));
        if (!confirm) {
            QCOMPARE(t.store.writeCount(), 0);
            QCOMPARE(t.settings.player1Name, std::string("Player 1"));
            QCOMPARE(t.settings.player2Name, std::string("Player 2"));
            return;
        }
        QCOMPARE(t.store.writeCount(), 2);
        QCOMPARE(StoredString(t, key::Player1Name), name1.toStdString());
        QCOMPARE(StoredString(t, key::Player2Name), name2.toStdString());
        QCOMPARE(t.settings.player1Name, name1.toStdString());
        QCOMPARE(t.settings.player2Name, name2.toStdString());
        if (name1.isEmpty() && name2.isEmpty()) {
            // Only the two scores are left on the scoreboard.
            QVERIFY(Ink(t.grab(), band) * 3 < inkBefore);
        }
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"

#include "app/boardlayoutdialog.h"
#include "app/commands.h"
#include "app/dialogunits.h"
#include "app/spincontrol.h"
#include "board/geometry.h"
#include "gui/guitable.h"
#include "imagesets/setimage.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace gemino;

namespace {

template <typename T = QWidget> T* Control(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// Steps a spin as a user does: by clicks on one of its arrows or the Up/Down key in its field.
void Step(SpinControl* spin, int delta, bool arrow) {
    for (int n = 0; n < std::abs(delta); ++n) {
        if (arrow)
            QTest::mouseClick(spin, Qt::LeftButton, {}, {1, delta > 0 ? 1 : spin->height() - 2});
        else
            QTest::keyClick(spin->buddy(), delta > 0 ? Qt::Key_Up : Qt::Key_Down);
    }
}

// Works a dialog: "1003" clicks control 1003, "1012:+3" steps spin 1012 up three times by key
// and "1012^+3" by its arrow, "1013=Ann" puts Ann into edit 1013.
void Act(QDialog& dialog, const QString& actions) {
    for (const QString& action : actions.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = action.split(QRegularExpression("[:^=]"));
        if (parts.size() == 1)
            QTest::mouseClick(Control<QAbstractButton>(&dialog, parts[0].toInt()), Qt::LeftButton);
        else if (action.contains('='))
            Control<QLineEdit>(&dialog, parts[0].toInt())->setText(parts[1]);
        else
            Step(Control<SpinControl>(&dialog, parts[0].toInt()), parts[1].toInt(),
                 action.contains('^'));
    }
}

// Triggers a command and lets `drive` work the modal dialog it opens. A dialog left open is
// cancelled, so a failing check cannot hang the test.
bool RunCommand(GuiTable& t, int command, const std::function<void(QDialog&)>& drive) {
    bool found = false;
    const QObject scope; // should the command open nothing, the check dies with it
    QTimer::singleShot(0, &scope, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            found = true;
            drive(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    t.action(command)->trigger();
    return found;
}

// What the store holds, as "name=value" in name order.
QString Stored(const MemorySettingsStore& store) {
    QStringList values;
    for (const auto& [name, value] : store.values()) {
        const std::string number = std::to_string(store.ReadInt(name, 0));
        values << QString::fromStdString(name + '=' + store.ReadString(name, number));
    }
    return values.join(", ");
}

// A control as "id class text", read-only fields marked.
QString Describe(const QWidget* control) {
    const QStringList parts{control->objectName(), control->metaObject()->className(),
                            control->property("text").toString(),
                            control->property("readOnly").toBool() ? "read-only" : ""};
    return parts.join(' ').remove("gemino::").simplified();
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void controls_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("dialog"); // template id and caption
        QTest::addColumn<QSize>("units");
        QTest::addColumn<QString>("controls");
        const auto row = [](int command, const char* dialog, QSize units, const char* controls) {
            QTest::newRow(dialog) << command << dialog << units << controls;
        };
        row(command::BoardLayout, "181 Board Layout", {193, 146},
            "-1 QLabel Number of Columns of Images; 1008 QRadioButton 1; 1001 QRadioButton 2; "
            "1002 QRadioButton 3; 1003 QRadioButton 4; 1004 QRadioButton 5; 1005 QRadioButton 6; "
            "1006 QRadioButton 7; 1007 QRadioButton 8; 1009 QRadioButton 9; "
            "1010 QRadioButton 10; -1 QLabel Image Size; 1011 QLineEdit 50 read-only; "
            "1012 SpinControl; -1 QLabel Spacing Between Images; 1013 QLineEdit 12 read-only; "
            "1014 SpinControl; 1 QPushButton OK; 3 QPushButton Use Defaults; "
            "2 QPushButton Cancel");
        row(command::DisplayProperties, "183 Display Properties", {205, 132},
            "1017 QCheckBox Highlight Matched Images; 1018 QCheckBox Display Matcher Name; "
            "1019 QCheckBox Display Image Text; -1 QLabel Unmatched Image Display Time (ms); "
            "1015 QLineEdit 1500 read-only; 1020 SpinControl; "
            "-1 QLabel # Flashes of Matched Images; 1016 QLineEdit 3 read-only; "
            "1021 SpinControl; 1 QPushButton OK; 3 QPushButton Use Defaults; "
            "2 QPushButton Cancel");
        row(command::PlayerNames, "182 Player Names", {185, 83},
            "-1 QLabel Player 1; 1013 QLineEdit Player 1; -1 QLabel Player 2; "
            "1014 QLineEdit Player 2; 1 QPushButton OK; 2 QPushButton Cancel");
    }
    void controls() {
        QFETCH(int, command);
        QFETCH(QString, dialog);
        QFETCH(QSize, units);
        QFETCH(QString, controls);
        GuiTable t;
        const DialogUnits du(DialogUnits::DialogFont());
        QVERIFY(RunCommand(t, command, [&](QDialog& opened) {
            // The caption begins with a blank.
            QCOMPARE(opened.objectName() + opened.windowTitle(), dialog);
            QCOMPARE(opened.font().pointSize(), 8);
            QCOMPARE(opened.size(),
                     QSize(du.toPixelsX(units.width()), du.toPixelsY(units.height())));
            QStringList found;
            for (const QWidget* control : opened.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                found << Describe(control);
            QCOMPARE(found.join("; "), controls);
        }));
    }

    // Every cell holds half a pair, so n images fill at most 2n / 4 columns.
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
            QCOMPARE(radio->isEnabled(), k <= enabled);
            // The current choice stays marked even where the set could no longer fill it.
            QCOMPARE(radio->isChecked(), k == 8);
        }
    }

    // What the dialogs leave behind. The board starts with 8 columns, buttons of 80 + 20 pixels
    // and a bitmap loaded at 1 pixel; the display with only the highlight on, 800 ms and 4
    // flashes. Spin steps beyond a range are refused and leave the spin where it was.
    void commands_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("writes");
        const auto row = [](int command, const char* actions, const char* settings,
                            const QString& stored, int writes) {
            QTest::newRow(actions) << command << actions << settings << stored << writes;
        };
        const int board = command::BoardLayout;
        const int display = command::DisplayProperties;
        const int names = command::PlayerNames;
        // A column click counts as a size change, so Cancel writes size and spacing again.
        row(board, "1010 2", "8 80 20 80", "Button Size=80, Button Spacing=20", 2);
        row(board, "1003 1", "4 80 20 80", "Button Size=80, Button Spacing=20, Number Columns=4",
            3);
        row(board, "1", "8 80 20 1", "", 0);
        // Stored although the next start reads it as 12.
        row(board, "1014^+25 1", "8 80 45 80", "Button Size=80, Button Spacing=45", 2);
        row(board, "1012^+130 1012:-1 1014:-30 2", "8 199 1 199",
            "Button Size=199, Button Spacing=1", 2);
        row(board, "1014:+40 1012:-60 1012^+1 1", "8 33 50 33", "Button Size=33, Button Spacing=50",
            2);
        // Applied and written at once, so they stay after Cancel; the column choice stays too.
        row(board, "3 2", "8 50 12 50", "Button Size=50, Button Spacing=12", 2);
        row(board, "1003 3 1", "4 50 12 50", "Button Size=50, Button Spacing=12, Number Columns=4",
            5);
        // Only what differs is written.
        row(display, "1", "1 0 0 800 4", "", 0);
        row(display, "1018 1017 1017 1021:+2 1020:+3 1020^-3 1", "1 1 0 800 6",
            "Display Matcher Name=1, Number Flashes of Matched Images=6", 2);
        row(display, "1020:+500 1020^-1 1021:+5 1021:-1 1", "1 0 0 4990 6",
            "Number Flashes of Matched Images=6, Unmatched Image Display Time=4990", 2);
        row(display, "1020:-100 1020:+1 1021^-5 1021:+1 1", "1 0 0 260 2",
            "Number Flashes of Matched Images=2, Unmatched Image Display Time=260", 2);
        row(display, "3 2", "1 0 0 800 4", "", 0);
        // Unlike a first start, these defaults turn the highlight off.
        row(display, "3 1020:+1 1", "0 1 1 1510 3",
            "Display Image Text=1, Display Matcher Name=1, Highlight Matched Images=0, "
            "Number Flashes of Matched Images=3, Unmatched Image Display Time=1510",
            5);
        // Both names are written, changed or not.
        row(names, "1013= 1014= 1", "/", "Player 1 Name=, Player 2 Name=", 2);
        row(names, "1", "Player 1/Player 2", "Player 1 Name=Player 1, Player 2 Name=Player 2", 2);
        row(names, "1013=Zoë 1014=Åsa 1", "Zoë/Åsa", "Player 1 Name=Zoë, Player 2 Name=Åsa", 2);
        row(names, "1013=Zoë 2", "Player 1/Player 2", "", 0);
    }
    void commands() {
        QFETCH(int, command);
        QFETCH(QString, actions);
        QFETCH(QString, settings);
        QFETCH(QString, stored);
        QFETCH(int, writes);
        GuiTable t;
        GameSettings& s = t.settings;
        s.buttonSize = 80;
        s.buttonSpacing = 20;
        s.displayMatcherName = s.displayImageText = false;
        s.unmatchedDisplayTime = 800;
        s.matchFlashes = 4;
        t.board()->LayoutButtons();
        CSetImage* bitmap = t.board()->images().image(0);
        QVERIFY(bitmap->LoadBitmapFile(QFINDTESTDATA("../../resources/icons/app/gemino.svg"), 1));
        // An uncovered cell shows whether a new game was dealt.
        QTest::mouseClick(t.button(0), Qt::LeftButton);
        const QRect scores(0, ScoreTop(t.board()->geometry()), t.board()->width(), 64);
        const int scoreInk = CountDark(t.grab(), scores);
        // Size and spacing act on the live board at once, the columns only after "OK".
        const auto checkLayout = [&] {
            const int pitch = s.buttonSize + s.buttonSpacing;
            QCOMPARE(t.button(9)->geometry(),
                     QRect(10 + 9 % s.columns * pitch, 10 + 9 / s.columns * pitch, s.buttonSize,
                           s.buttonSize));
        };

        QVERIFY(RunCommand(t, command, [&](QDialog& dialog) {
            Act(dialog, actions.section(' ', 0, -2));
            QCOMPARE(s.columns, 8);
            checkLayout();
            Act(dialog, actions.section(' ', -1));
        }));
        const QString now = command == command::BoardLayout
                                ? QString::asprintf("%d %d %d %d", s.columns, s.buttonSize,
                                                    s.buttonSpacing, bitmap->bitmap.width())
                            : command == command::DisplayProperties
                                ? QString::asprintf("%d %d %d %d %d", s.highlightMatchedImages,
                                                    s.displayMatcherName, s.displayImageText,
                                                    s.unmatchedDisplayTime, s.matchFlashes)
                                : QString::fromStdString(s.player1Name + '/' + s.player2Name);
        QCOMPARE(now, settings);
        QCOMPARE(Stored(t.store), stored);
        QCOMPARE(t.store.writeCount(), writes);
        // Only a column change deals a new game.
        QCOMPARE(t.state().firstPick == -1, stored.contains("Number Columns"));
        QCOMPARE(t.board()->game().cellsInPlay(), 4 * s.columns);
        checkLayout();
        // Without names only the scores are left on the scoreboard.
        if (now == "/")
            QVERIFY(CountDark(t.grab(), scores) * 3 < scoreInk);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"

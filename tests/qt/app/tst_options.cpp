#include "qt/app/commands.h"
#include "qt/app/spincontrol.h"
#include "qt/imagesets/setimage.h"
#include "support/guitable.h"

#include <QDialog>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace gemino;

namespace {

// Works a dialog: "1003" clicks control 1003, "1012:+3" steps spin 1012 up three times by the
// Up key in its field and "1012^+3" by its up arrow, "1013=Ann" puts Ann into edit 1013.
void act(QDialog& dialog, const QString& actions) {
    for (const QString& action : actions.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = action.split(QRegularExpression("[:^=]"));
        auto* control = dialog.findChild<QWidget*>(parts[0], Qt::FindDirectChildrenOnly);
        const int delta = parts.value(1).toInt();
        if (parts.size() == 1)
            QTest::mouseClick(control, Qt::LeftButton);
        else if (action.contains('='))
            static_cast<QLineEdit*>(control)->setText(parts[1]);
        else if (action.contains('^'))
            for (int n = 0; n < std::abs(delta); ++n)
                QTest::mouseClick(control, Qt::LeftButton, {},
                                  {1, delta > 0 ? 1 : control->height() - 2});
        else
            for (int n = 0; n < std::abs(delta); ++n)
                QTest::keyClick(static_cast<SpinControl*>(control)->buddy(),
                                delta > 0 ? Qt::Key_Up : Qt::Key_Down);
    }
}

// Triggers a command and lets `drive` work the modal dialog it opens. A dialog left open is
// cancelled, so a failing check cannot hang the test.
template <typename Drive> bool runCommand(GuiTable& t, int command, Drive drive) {
    bool found = false;
    // Should the command open nothing, the caller fails and the check dies with the window.
    QTimer::singleShot(0, t.window.get(), [&] {
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

// The number of writes and what the store holds, as "n: name=value, ..." in name order.
QString stored(const MemorySettingsStore& store) {
    QStringList values;
    for (const auto& [name, value] : store.values()) {
        const std::string number = std::to_string(store.ReadInt(name, 0));
        values << QString::fromStdString(name + '=' + store.ReadString(name, number));
    }
    return QString::number(store.writeCount()) + ": " + values.join(", ");
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    // Each dialog's template id and caption, which begins with a blank, then its controls as
    // "id class text" and their state. Every cell holds half a pair, so the 3 images of the set
    // fill 2 * 3 / 4 columns at most; the current choice stays marked although it cannot be
    // filled.
    void controls() {
        GuiTable t;
        t.images().setCount(3);
        const std::pair<int, const char*> dialogs[] = {
            {command::BoardLayout,
             "181 Board Layout: -1 QLabel Number of Columns of Images; 1008 QRadioButton 1; "
             "1001 QRadioButton 2 disabled; 1002 QRadioButton 3 disabled; "
             "1003 QRadioButton 4 disabled; 1004 QRadioButton 5 disabled; "
             "1005 QRadioButton 6 disabled; 1006 QRadioButton 7 disabled; "
             "1007 QRadioButton 8 checked disabled; 1009 QRadioButton 9 disabled; "
             "1010 QRadioButton 10 disabled; -1 QLabel Image Size; 1011 QLineEdit 50 read-only; "
             "1012 SpinControl; -1 QLabel Spacing Between Images; 1013 QLineEdit 12 read-only; "
             "1014 SpinControl; 1 QPushButton OK; 3 QPushButton Use Defaults; "
             "2 QPushButton Cancel"},
            {command::DisplayProperties,
             "183 Display Properties: 1017 QCheckBox Highlight Matched Images checked; "
             "1018 QCheckBox Display Matcher Name checked; "
             "1019 QCheckBox Display Image Text checked; "
             "-1 QLabel Unmatched Image Display Time (ms); 1015 QLineEdit 1500 read-only; "
             "1020 SpinControl; -1 QLabel # Flashes of Matched Images; "
             "1016 QLineEdit 3 read-only; 1021 SpinControl; 1 QPushButton OK; "
             "3 QPushButton Use Defaults; 2 QPushButton Cancel"},
            {command::PlayerNames,
             "182 Player Names: -1 QLabel Player 1; 1013 QLineEdit Player 1; -1 QLabel Player 2; "
             "1014 QLineEdit Player 2; 1 QPushButton OK; 2 QPushButton Cancel"}};
        for (const auto& expected : dialogs) {
            QVERIFY(runCommand(t, expected.first, [&](QDialog& dialog) {
                QStringList found;
                for (const QWidget* c : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    const QStringList parts{c->objectName(),
                                            c->metaObject()->className(),
                                            c->property("text").toString(),
                                            c->property("readOnly").toBool() ? "read-only" : "",
                                            c->property("checked").toBool() ? "checked" : "",
                                            c->isEnabled() ? "" : "disabled"};
                    found << parts.join(' ').remove("gemino::").simplified();
                }
                QCOMPARE(dialog.objectName() + dialog.windowTitle() + ": " + found.join("; "),
                         QString(expected.second));
            }));
        }
    }

    // What the dialogs leave behind, tagged with what is done in them. The board starts with 8
    // columns, buttons of 80 + 20 pixels and a bitmap loaded at 1 pixel; the display with only
    // the highlight on, 800 ms and 4 flashes. Spin steps beyond a range are refused and leave
    // the spin where it was.
    void commands_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("after"); // the record, then the store
        const int board = command::BoardLayout;
        const int display = command::DisplayProperties;
        const int names = command::PlayerNames;
        QTest::newRow("1") << board << "8 80 20 1 / 0: ";
        // Size and spacing were applied and written at once, so they stay after Cancel. A
        // column click counts as a size change, so Cancel writes them again.
        QTest::newRow("1010 3 2") << board << "8 50 12 50 / 4: Button Size=50, Button Spacing=12";
        // Kept and stored after Cancel, the spacing although the next start reads it as 12.
        QTest::newRow("1012:-60 1012^+1 1012^+180 1012:-1 1014:-30 1014^+1 1014^+60 1014:-1 2")
            << board << "8 199 49 199 / 2: Button Size=199, Button Spacing=49";
        // Use Defaults leaves the column choice alone.
        QTest::newRow("1003 3 1")
            << board << "4 50 12 50 / 5: Button Size=50, Button Spacing=12, Number Columns=4";
        // Only what differs is written.
        QTest::newRow("1017 1017 1") << display << "1 0 0 800 4 / 0: ";
        QTest::newRow("1018 1017 1017 1021:+2 1020:+3 1020^-3 1")
            << display
            << "1 1 0 800 6 / 2: Display Matcher Name=1, Number Flashes of Matched Images=6";
        QTest::newRow("1020:+500 1020:-500 1020^+1 1021:+5 1021:-9 1021^+1 1")
            << display
            << "1 0 0 260 2 / 2: Number Flashes of Matched Images=2, "
               "Unmatched Image Display Time=260";
        QTest::newRow("3 2") << display << "1 0 0 800 4 / 0: ";
        // Unlike a first start, these defaults turn the highlight off.
        QTest::newRow("3 1020:+1 1")
            << display
            << "0 1 1 1510 3 / 5: Display Image Text=1, Display Matcher Name=1, "
               "Highlight Matched Images=0, Number Flashes of Matched Images=3, "
               "Unmatched Image Display Time=1510";
        // Both names are written, changed or not.
        QTest::newRow("1013= 1014= 1") << names << "/ / 2: Player 1 Name=, Player 2 Name=";
        QTest::newRow("1013=Zoë 1")
            << names << "Zoë/Player 2 / 2: Player 1 Name=Zoë, Player 2 Name=Player 2";
        QTest::newRow("1013=Zoë 2") << names << "Player 1/Player 2 / 0: ";
    }
    void commands() {
        QFETCH(int, command);
        QFETCH(QString, after);
        const QString actions = QTest::currentDataTag();
        GuiTable t;
        GameSettings& s = t.settings;
        s.buttonSize = 80;
        s.buttonSpacing = 20;
        s.displayMatcherName = s.displayImageText = false;
        s.unmatchedDisplayTime = 800;
        s.matchFlashes = 4;
        t.board()->LayoutButtons();
        CSetImage* bitmap = t.images().image(0);
        QVERIFY(
            bitmap->LoadBitmapFile(QFINDTESTDATA("../../../resources/icons/app/gemino.svg"), 1));
        // An uncovered cell shows whether a new game was dealt.
        QTest::mouseClick(t.button(0), Qt::LeftButton);
        // Size and spacing act on the live board at once, the columns only after "OK". Cell 9
        // starts the second row of 8 and the third of 4.
        const auto checkLayout = [&] {
            const int pitch = s.buttonSize + s.buttonSpacing;
            QCOMPARE(t.button(9)->geometry(),
                     QRect(10 + pitch, 10 + 9 / s.columns * pitch, s.buttonSize, s.buttonSize));
        };

        QVERIFY(runCommand(t, command, [&](QDialog& dialog) {
            act(dialog, actions.section(' ', 0, -2));
            QCOMPARE(s.columns, 8);
            checkLayout();
            act(dialog, actions.section(' ', -1));
        }));
        // Bitmaps are reloaded at a new size on worker threads.
        QTRY_COMPARE(t.session()->picturesPending(), 0);
        QString record = QString::fromStdString(s.player1Name + '/' + s.player2Name);
        if (command == command::BoardLayout)
            record = QString::asprintf("%d %d %d %d", s.columns, s.buttonSize, s.buttonSpacing,
                                       bitmap->bitmap.width());
        else if (command == command::DisplayProperties)
            record =
                QString::asprintf("%d %d %d %d %d", s.highlightMatchedImages, s.displayMatcherName,
                                  s.displayImageText, s.unmatchedDisplayTime, s.matchFlashes);
        QCOMPARE(record + " / " + stored(t.store), after);
        // Only a column change deals a new game.
        QCOMPARE(t.state().firstPick == -1, after.contains("Number Columns"));
        QCOMPARE(t.session()->game().cellsInPlay(), 4 * s.columns);
        checkLayout();
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"

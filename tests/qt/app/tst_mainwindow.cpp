#include "core/records/records.h"
#include "qt/app/aboutdialog.h"
#include "qt/app/commands.h"
#include "qt/app/qsettingsstore.h"
#include "qt/app/recordsdialog.h"
#include "qt/app/spincontrol.h"
#include "qt/imagesets/setimage.h"
#include "qt/widgets/prompts.h"
#include "support/guitable.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <climits>
#include <functional>
#include <string_view>

using namespace gemino;

namespace {

// The items of a menu as the menu resource spells them, "Text\tShortcut", a submenu's items in
// brackets after its own text, "-" for a separator.
QString items(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions()) {
        const QString keys = a->shortcut().toString(QKeySequence::PortableText);
        if (a->isSeparator())
            items << "-";
        else if (a->menu())
            items << a->text() + " [" + ::items(a->menu()) + "]";
        else
            items << (keys.isEmpty() ? a->text() : a->text() + "\t" + keys);
    }
    return items.join(", ");
}

// Works a dialog: "1003" clicks control 1003, "1012:+3" steps spin 1012 up three times by the
// Up key in its field and "1012^+3" by its up arrow, "1013=Ann" puts Ann into edit 1013, ">Ann"
// types Ann where the focus is and "Tab" moves the focus on.
void act(QDialog& dialog, const QString& actions) {
    for (const QString& action : actions.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = action.split(QRegularExpression("[:^=]"));
        auto* control = dialog.findChild<QWidget*>(parts[0], Qt::FindDirectChildrenOnly);
        const int delta = parts.value(1).toInt();
        if (action.startsWith('>') || action == "Tab") {
            dialog.activateWindow();
            QTRY_VERIFY(dialog.isActiveWindow());
            QTest::keyClicks(QApplication::focusWidget(), action == "Tab" ? "\t" : action.mid(1));
        } else if (parts.size() == 1) {
            QTest::mouseClick(control, Qt::LeftButton);
        } else if (action.contains('=')) {
            static_cast<QLineEdit*>(control)->setText(parts[1]);
        }
        for (int n = 0; parts.size() > 1 && n < std::abs(delta); ++n) {
            if (action.contains('^'))
                QTest::mouseClick(control, Qt::LeftButton, {},
                                  {1, delta > 0 ? 1 : control->height() - 2});
            else
                QTest::keyClick(static_cast<SpinControl*>(control)->buddy(),
                                delta > 0 ? Qt::Key_Up : Qt::Key_Down);
        }
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

// The loaded record as "stored name=value; ...", booleans as 1 and 0.
QString fields(const GameSettings& s) {
    return QString::asprintf(
        "Standard Image Set=%s; Custom Image Set=%s; Number Players=%d; Display Matcher Name=%d; "
        "Display Image Text=%d; Highlight Matched Images=%d; Unmatched Image Display Time=%d; "
        "Number Flashes of Matched Images=%d; Player 1 Name=%s; Player 2 Name=%s; "
        "Number Columns=%d; Button Size=%d; Button Spacing=%d; Play Sounds=%d; start-up=%s",
        s.standardSetName.c_str(), s.customSetPath.c_str(), s.numberPlayers, s.displayMatcherName,
        s.displayImageText, s.highlightMatchedImages, s.unmatchedDisplayTime, s.matchFlashes,
        s.player1Name.c_str(), s.player2Name.c_str(), s.columns, s.buttonSize, s.buttonSpacing,
        s.playSounds, s.startupDirectory.c_str());
}

const QString kDefaults =
    "Standard Image Set=misc; Custom Image Set=; Number Players=2; Display Matcher Name=1; "
    "Display Image Text=1; Highlight Matched Images=1; Unmatched Image Display Time=1500; "
    "Number Flashes of Matched Images=3; Player 1 Name=Player 1; Player 2 Name=Player 2; "
    "Number Columns=8; Button Size=50; Button Spacing=12; Play Sounds=1; start-up=/start";

void click(GuiTable& t, int cell) {
    QTest::mouseClick(t.button(cell), Qt::LeftButton);
}

// Plays the game in play to its end with `misses` misses first; returns the status message.
QString playToTheEnd(GuiTable& t, int misses) {
    for (int k = 0; k < misses; ++k) {
        click(t, t.mismatch().first);
        click(t, t.mismatch().second);
    }
    while (!t.state().gameOver) {
        const auto [a, b] = t.pair();
        click(t, a);
        click(t, b);
    }
    return t.window->statusBar()->currentMessage();
}

void deal(GuiTable& t, int players) {
    t.action(players == 1 ? command::OnePlayer : command::TwoPlayers)->trigger();
    t.action(command::NewGame)->trigger();
    t.window->statusBar()->clearMessage();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QList<QUrl> urls_;
    QTemporaryDir dir_;
    int files_ = 0;

public slots:
    // Opens the target of "Other Programs by Oakvale" instead of a browser.
    void openUrl(const QUrl& url) { urls_ << url; }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QFile(dir_.filePath("Cards.ims")).open(QIODevice::WriteOnly));
    }

    // What is stored (numbers, strings or nothing) and the fields that load off their
    // defaults; every other field keeps its default. '~' stands for the temporary folder.
    void load_data() {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("loaded");
        const auto row = [](const char* name, const QVariant& value, const QString& loaded) {
            QTest::addRow("%s %s", name, qPrintable(value.toString()))
                << QVariantMap{{name, value}} << QString(name) + '=' + loaded;
        };
        QTest::newRow("empty store") << QVariantMap() << QString();
        // Name, range and default. Out of range means the default, never the nearer bound.
        for (const auto& [name, lowest, highest, fallback] :
             {std::tuple{"Number Players", 1, 2, 2},
              std::tuple{"Unmatched Image Display Time", 1, 5000, 1500},
              std::tuple{"Number Flashes of Matched Images", 1, 7, 3},
              std::tuple{"Number Columns", 1, 10, 8}, std::tuple{"Button Size", 32, 200, 50},
              std::tuple{"Button Spacing", 1, 40, 12}}) {
            for (int v : {lowest, highest, lowest - 1, highest + 1, INT_MIN, INT_MAX})
                row(name, v, QString::number(v >= lowest && v <= highest ? v : fallback));
        }
        // The Board Layout dialog can store spacings up to 50.
        row("Button Spacing", 50, "12");
        // Only a stored 1 is true.
        for (const char* name : {"Display Matcher Name", "Display Image Text",
                                 "Highlight Matched Images", "Play Sounds"}) {
            for (int v : {1, 0, 2, -1})
                row(name, v, QString::number(v == 1));
        }
        // Strings are taken as they are, the empty name included.
        row("Player 1 Name", "", "");
        const QString odd = QString::fromUtf8("  Zoë, \"Åsa\" @x=[y];#z\\ ");
        row("Player 2 Name", odd, odd);
        row("Standard Image Set", "flags", "flags");
        // Text where a number belongs reads as the default; 2^32 + 42 would wrap to a valid size.
        for (const char* text : {"abc", "64abc", "0x40", "64.5", "", "4294967338"})
            row("Button Size", text, "50");
        row("Play Sounds", "0abc", "1");
        // A custom set is checked only while no standard set is named; a missing one falls back
        // to "misc" for this run only (the loader cannot write to the store). What counts as
        // missing is the path utility's lookup.
        for (const auto& [standard, custom, kept] :
             {std::tuple{"", "~/Lost.ims", false}, std::tuple{"flags", "~/Lost.ims", true},
              std::tuple{"", "~/Cards.ims", true}, std::tuple{"", "", true}}) {
            QTest::addRow("sets '%s' '%s'", standard, custom)
                << QVariantMap{{key::StandardImageSet, standard}, {key::CustomImageSet, custom}}
                << QString("Standard Image Set=%1; Custom Image Set=%2")
                       .arg(kept ? standard : "misc", kept ? custom : "");
        }
    }
    void load() {
        QFETCH(QVariantMap, stored);
        QFETCH(QString, loaded);
        QStringList expected = kDefaults.split("; ");
        for (const QString& change : loaded.split("; ", Qt::SkipEmptyParts)) {
            for (QString& field : expected)
                if (field.section('=', 0, 0) == change.section('=', 0, 0))
                    field = change;
        }
        const QString file = dir_.filePath(QString("%1.ini").arg(++files_));
        MemorySettingsStore memory;
        QSettingsStore ini(file);
        for (SettingsStore* store : std::initializer_list<SettingsStore*>{&memory, &ini}) {
            for (auto [name, value] : stored.asKeyValueRange()) {
                const std::string key = name.toStdString();
                if (value.typeId() == QMetaType::Int)
                    store->WriteInt(key, value.toInt());
                else
                    store->WriteString(key,
                                       value.toString().replace('~', dir_.path()).toStdString());
            }
        }
        // The file is loaded from a copy taken while its writer is still open, so every value
        // must be on disk the moment it is written.
        QFile::copy(file, file + ".copy");
        const QSettingsStore reread(file + ".copy");
        for (const SettingsStore* store :
             std::initializer_list<const SettingsStore*>{&memory, &reread}) {
            // Every field starts off its default, so that a field the loader forgets shows.
            GameSettings s{"x", "x", 0, false, false, false, 0, 0, "x", "x", 0, 0, 0, false, "x"};
            LoadSettings(s, *store, "/start");
            QCOMPARE(fields(s), expected.join("; ").replace('~', dir_.path()));
        }
    }

    void menusAndToolbar() {
        GuiTable t;
        QStringList menus;
        for (const QAction* menu : t.window->menuBar()->actions())
            menus << menu->text() + ": " + items(menu->menu());
        QCOMPARE(
            menus.join('\n'),
            QString("&Game: Start &New Game\tCtrl+N, Set &Player Names...\tCtrl+P, -, "
                    "&1-Player Game, &2-Player Game, -, &Timed Game\tCtrl+T, -, Best &Results..., "
                    "-, E&xit\n"
                    "&Images: Use &Standard Image Set [&Computer\tShift+C, &Flags\tShift+F, "
                    "&Traffic\tShift+T, &Miscellaneous\tShift+M], -, "
                    "&Create Custom Image Set...\tCtrl+C, Use Custom &Image Set...\tCtrl+I, -, "
                    "Display &All Images for 5 Seconds\tCtrl+A\n"
                    "&Options: &Board Layout...\tCtrl+B, &Maximize Button Size\tCtrl+M, -, "
                    "&Display Properties...\tCtrl+D, Play &Sounds\tCtrl+S\n"
                    "&Help: &About Gemino..."));
        QCOMPARE(t.action(command::BoardLayout)->statusTip(),
                 QString("Change the Number of Columns of Images, Image Size and Spacing."));
        QCOMPARE(t.action(command::MaximizeButtons)->toolTip(), QString("Max Button Size"));

        QStringList ids;
        for (const QAction* a : t.toolBar()->actions())
            ids << (a->isSeparator() ? "|" : a->objectName());
        QCOMPARE(ids.join(' '), QString("32773 32795 | 32777 32778 32779 | 32789 32796 32782 "
                                        "32781 | 32771 32772 32791 | 32774 32787 32794 32790"));
        // It has its gripper, yet stays at the top.
        QVERIFY(t.toolBar()->isMovable() && !t.toolBar()->isFloatable());
        QCOMPARE(t.toolBar()->allowedAreas(), Qt::TopToolBarArea);
        // The buttons carry their control ids; loading the set on a first run stores nothing.
        for (int i = 0; i < 40; ++i)
            QCOMPARE(t.button(i)->objectName(), QString::number(1000 + i));
        QCOMPARE(t.store.writeCount(), 0);
    }

    // A stored name is loaded whatever its case, but only an exact name is checked; a name that
    // is none of the four, or a custom set named beside a standard one, plays the standard set
    // (or misc) for this run and stores nothing.
    void storedSetNamesAreLoadedIgnoringCaseButCheckedExactly() {
        // The stored names, the set played, whether it has texts.
        for (const auto& [stored, custom, played, hasTexts] :
             {std::tuple{"Flags", "", "Flags", true},
              {"bogus", "", "misc", false},
              {"computer", "/nowhere/set.ims", "computer", false}}) {
            MemorySettingsStore store;
            GameSettings settings;
            settings.standardSetName = stored;
            settings.customSetPath = custom;
            RecordingSound sound;
            MainWindow window(settings, store, sound);
            window.session()->initialize();
            QCOMPARE(settings.standardSetName, std::string(played));
            QCOMPARE(window.session()->images().imageCount(), 20);
            QCOMPARE(!window.session()->images().image(3)->text.isEmpty(), hasTexts);
            QVERIFY(window.session()->images().image(3)->hasPicture());
            int checked = 0;
            for (int id : {command::ComputerSet, command::FlagSet, command::TrafficSet,
                           command::MiscSet, command::UseCustomImageSet})
                checked += window.action(id)->isChecked();
            QCOMPARE(checked, std::string(played) == "Flags" ? 0 : 1);
            QCOMPARE(store.writeCount(), 0);
        }
    }

    // What the commands write is what the next run reads. A set command writes both names.
    // (The stress test checks that every check mark follows the settings.)
    void commandsWriteThroughToTheSettingsFile() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Gemino.ini");
        {
            QSettingsStore store(ini);
            store.WriteString(key::StandardImageSet, "");
            store.WriteString(key::CustomImageSet, dir.filePath("gone.ims").toStdString());
            GameSettings settings;
            LoadSettings(settings, store, dir.path().toStdString());
            RecordingSound sound;
            MainWindow window(settings, store, sound);
            window.session()->initialize();
            QTest::mouseClick(window.board()->cellButton(0), Qt::LeftButton);
            window.action(command::FlagSet)->trigger();
            QVERIFY(window.session()->game().state().awaitingFirstPick); // dealt anew
            window.action(command::OnePlayer)->trigger();
            window.action(command::PlaySounds)->trigger();
            // The size fitted to a window is kept within what a start accepts.
            window.session()->MaximizeButtonSize(WindowMetrics{2, 2, 19, 20, 100, 100});
            QCOMPARE(settings.buttonSize, 32);
            window.session()->MaximizeButtonSize(WindowMetrics{2, 2, 19, 20, 5000, 5000});
        }
        QSettingsStore again(ini);
        GameSettings settings;
        LoadSettings(settings, again, dir.path().toStdString());
        QCOMPARE(settings.standardSetName, std::string("flags"));
        QCOMPARE(settings.customSetPath, std::string());
        QCOMPARE(settings.numberPlayers, 1);
        QCOMPARE(again.ReadInt(key::PlaySounds, -1), 0);
        QCOMPARE(settings.buttonSize, 200);
        QCOMPARE(again.ReadInt(key::ButtonSpacing, -1), 12);
    }

    // The whole frame fits the available area, decorations included, whenever they are known.
    void frameFitsTheAvailableArea() {
        // Available area, decorations, client area.
        const std::tuple<QRect, QMargins, QRect> cases[] = {
            {{0, 0, 1600, 1200}, {}, {0, 0, 1592, 1192}},
            {{0, 0, 1600, 1200}, {1, 20, 3, 5}, {1, 20, 1588, 1167}},
            {{0, 30, 1024, 738}, {4, 24, 4, 4}, {4, 54, 1008, 702}},
            {{0, 0, 20, 30}, {1, 20, 1, 5}, {1, 20, 10, 0}},
        };
        for (const auto& [available, frame, client] : cases)
            QCOMPARE(startupClientGeometry(available, frame, 2), client);
    }

    // The board is dealt and painted and the window has its icon before the About box shows;
    // the box links to the maker's page and stays open, and Return closes it.
    void startUpShowsTheAboutBoxOverThePaintedBoard() {
        QDesktopServices::setUrlHandler("https", this, "openUrl");
        MemorySettingsStore store;
        GameSettings settings;
        RecordingSound sound;
        MainWindow window(settings, store, sound);
        QStringList seen;
        struct AboutWatch : QObject {
            std::function<void(AboutDialog*)> shown;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (auto* about = qobject_cast<AboutDialog*>(watched);
                    about && event->type() == QEvent::Show)
                    shown(about);
                return false;
            }
        } watch;
        watch.shown = [&](AboutDialog* about) {
            seen << QString::number(window.board()->painted() && !window.windowIcon().isNull() &&
                                    window.session()->game().state().awaitingFirstPick)
                 << about->windowTitle();
            for (const QWidget* w : about->findChildren<QWidget*>())
                seen << w->objectName() + ' ' + w->property("text").toString();
            QTimer::singleShot(0, about, [&seen, about] {
                about->findChild<QPushButton*>("3")->click();
                seen << (about->isVisible() ? "open" : "closed");
                QTest::keyClick(about, Qt::Key_Return);
                seen << (about->isVisible() ? "open" : "closed");
                about->reject();
            });
        };
        qApp->installEventFilter(&watch);
        QVERIFY(!window.board()->painted() && window.windowIcon().isNull());
        window.startUp();
        qApp->removeEventFilter(&watch);
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(seen.join('|'),
                 QString("1|About Gemino|-1 |-1 Gemino Version 2.0   (12/30/02)|"
                         "-1 Game of Memory and Concentration|"
                         "-1 Copyright \u00A9 2002 Oakvale. Free software under the GNU GPL.|"
                         "3 Other Programs by Oakvale|1 Close|open|closed"));
        QCOMPARE(urls_, QList<QUrl>{QUrl(AboutDialog::otherProgramsUrl())});
        QCOMPARE(window.windowTitle(), QString(" Gemino -- Game of Memory & Concentration"));
        QCOMPARE(window.frameGeometry(),
                 startupClientGeometry(window.screen()->availableGeometry(), {}, 2));
    }

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
        // Typing replaces the name of a field entered as the dialog opens or by the keyboard.
        QTest::newRow(">Ann Tab >Bob 1")
            << names << "Ann/Bob / 2: Player 1 Name=Ann, Player 2 Name=Bob";
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

    // Records of one-player games: what counts, the status message, the Best Results dialog
    // and the settings group the records are kept in.
    void onlyWholeOnePlayerGamesCount() {
        GuiTable t(2);
        deal(t, 1);
        QCOMPARE(playToTheEnd(t, 2), QString("New record on Miscellaneous, 2 columns: 2 misses."));
        QCOMPARE(t.records.ReadInt("misc.2.Misses", -1), 2);
        QVERIFY(!t.records.contains("misc.2.Seconds"));
        const QString told =
            QAccessible::queryAccessibleInterface(t.board())->text(QAccessible::Description);
        QVERIFY2(told.endsWith("2 misses. New record on Miscellaneous, 2 columns: 2 misses."),
                 qPrintable(told));

        // No record: as many misses again, a game played by two for a while, a game dealt for
        // two and then switched to one.
        const int writes = t.records.writeCount();
        for (const std::string_view how : {"again", "for a while", "dealt for two"}) {
            deal(t, how == "dealt for two" ? 2 : 1);
            if (how == "for a while") {
                click(t, t.pair().first);
                t.action(command::TwoPlayers)->trigger();
            }
            t.action(command::OnePlayer)->trigger();
            QCOMPARE(playToTheEnd(t, how == "again" ? 2 : 0), QString("  "));
            QCOMPARE(t.records.writeCount(), writes);
        }

        // A previewed timed game counts, with its time: five ticks, and one more if the game's
        // real clock ticked meanwhile.
        deal(t, 1);
        t.action(command::TimedGame)->trigger();
        t.action(command::ShowAllImages)->trigger();
        const auto [a, b] = t.pair();
        click(t, a);
        for (int k = 0; k < 5; ++k) {
            QTimerEvent tick(t.board()->clockTimerId());
            QCoreApplication::sendEvent(t.board(), &tick);
        }
        click(t, b);
        playToTheEnd(t, 0);
        const int seconds = t.state().elapsedSeconds;
        QVERIFY(seconds == 5 || seconds == 6);
        QCOMPARE(t.records.ReadInt("misc.2.Seconds", -1), seconds);
    }

    void bestResultsShowsTheTableAndClearsItAfterAsking() {
        GuiTable t;
        QAction* best = t.action(command::BestResults);
        QCOMPARE(best->objectName(), QString("32800"));
        QCOMPARE(best->statusTip(), QString("Show the best results of one-player games"));

        t.records.WriteString("Boards", "flags.4 file-%2Fsets%2Fa%2Eims.3 flags.1");
        t.records.WriteInt("flags.4.Misses", 3);
        t.records.WriteInt("flags.4.Seconds", 125);
        t.records.WriteInt("flags.1.Misses", 0); // a flawless game in under a second
        t.records.WriteInt("flags.1.Seconds", 0);
        t.records.WriteInt("file-%2Fsets%2Fa%2Eims.3.Misses", 2);
        QStringList rows;
        int asked = 0;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<RecordsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            for (int cell = 0; cell < 4 * dialog->table()->rowCount(); ++cell)
                rows << dialog->table()->item(cell / 4, cell % 4)->text();
            rows << dialog->table()->item(2, 0)->toolTip();
            auto* clear = dialog->findChild<QPushButton*>("1051");
            setMessageBoxHook([&](QWidget*, MessageIcon, const QString& caption,
                                  const QString& text, MessageButtons buttons) {
                rows << caption + ": " + text +
                            (buttons == MessageButtons::YesNo ? " [Yes No]" : " [?]");
                return ++asked == 2 ? MessageAnswer::Yes : MessageAnswer::No;
            });
            for (int k = 0; k < 2; ++k) { // "No" keeps them, "Yes" clears them
                clear->click();
                rows << QString::number(dialog->table()->rowCount());
            }
            rows << (clear->isEnabled() ? "on" : "off");
            dialog->findChild<QPushButton*>("1")->click();
        });
        best->trigger();
        setMessageBoxHook({});
        const QString question =
            "Best Results: Clear all best results? This cannot be undone. [Yes No]";
        QCOMPARE(rows,
                 QStringList({"Flags", "1", "0", "0:00", "Flags", "4", "3", "2:05", "a.ims", "3",
                              "2", "none", "/sets/a.ims", question, "3", question, "0", "off"}));
        QVERIFY(t.records.values().empty());
    }

    void recordsLiveInTheirOwnGroupBesideTheSettings() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Gemino.ini");
        const std::string path = "C:\\Games\\Sets/odd=name;[x].ims";
        QSettingsStore(ini).WriteInt(key::NumberColumns, 6);
        QSettingsStore records(ini, QStringLiteral("Records"));
        RecordBook book(records);
        book.submit({path, 6}, {3, true, 42});
        QCOMPARE(QSettings(ini, QSettings::IniFormat).childGroups(),
                 QStringList({"Records", "Settings"}));
        QCOMPARE(book.all().size(), std::size_t(1));
        QCOMPARE(book.all()[0].first.imageSet, path);
        QCOMPARE(book.all()[0].second, (BoardRecord{3, 42}));
        book.clear();
        QCOMPARE(QSettings(ini, QSettings::IniFormat).childGroups(), QStringList({"Settings"}));
        QCOMPARE(QSettingsStore(ini).ReadInt(key::NumberColumns, -1), 6);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

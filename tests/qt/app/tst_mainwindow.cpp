#include "qt/app/aboutdialog.h"
#include "qt/app/commands.h"
#include "qt/app/qsettingsstore.h"
#include "support/guitable.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

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

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QList<QUrl> urls_;

public slots:
    // Opens the target of "Other Programs by Oakvale" instead of a browser.
    void openUrl(const QUrl& url) { urls_ << url; }

private slots:
    void menusToolbarAndStatusBar() {
        GuiTable t;
        QStringList menus;
        for (const QAction* menu : t.window->menuBar()->actions())
            menus << menu->text() + ": " + items(menu->menu());
        QCOMPARE(
            menus.join('\n'),
            QString("&Game: Start &New Game\tCtrl+N, Set &Player Names...\tCtrl+P, -, "
                    "&1-Player Game, &2-Player Game, -, &Timed Game\tCtrl+T, -, E&xit\n"
                    "&Images: Use &Standard Image Set [&Computer\tShift+C, &Flags\tShift+F, "
                    "&Traffic\tShift+T, &Miscellaneous\tShift+M], -, "
                    "&Create Custom Image Set...\tCtrl+C, Use Custom &Image Set...\tCtrl+I, -, "
                    "Display &All Images for 5 Seconds\tCtrl+A\n"
                    "&Options: &Board Layout...\tCtrl+B, &Maximize Button Size\tCtrl+M, -, "
                    "&Display Properties...\tCtrl+D, Play &Sounds\tCtrl+S\n"
                    "&Help: &About Gemino..."));
        QCOMPARE(t.action(command::BoardLayout)->statusTip(),
                 QString("Change the Number of Columns of Images, Image Size and Spacing."));
        QCOMPARE(t.action(command::MiscSet)->statusTip(),
                 QString("Play the game using a set of miscellaneous images"));
        QCOMPARE(t.action(command::MaximizeButtons)->toolTip(), QString("Max Button Size"));

        // The message pane looks empty when no prompt is shown.
        QCOMPARE(t.window->statusBar()->currentMessage(), QString("  "));
        t.window->statusBar()->showMessage(t.action(command::NewGame)->statusTip());
        t.window->statusBar()->clearMessage();
        QCOMPARE(t.window->statusBar()->currentMessage(), QString("  "));

        QStringList ids;
        for (const QAction* a : t.toolBar()->actions()) {
            ids << (a->isSeparator() ? "|" : a->objectName());
            QVERIFY2(a->isSeparator() || !a->icon().isNull(), qPrintable(a->objectName()));
        }
        QCOMPARE(ids.join(' '), QString("32773 32795 | 32777 32778 32779 | 32789 32796 32782 "
                                        "32781 | 32771 32772 32791 | 32774 32787 32794 32790"));
        // It has its gripper, yet stays at the top.
        QVERIFY(t.toolBar()->isMovable() && !t.toolBar()->isFloatable());
        QCOMPARE(t.toolBar()->allowedAreas(), Qt::TopToolBarArea);
    }

    // The buttons carry their control ids; loading the set on a first run stores nothing.
    void firstStartStoresNothing() {
        GuiTable t;
        for (int i = 0; i < 40; ++i)
            QCOMPARE(t.button(i)->objectName(), QString::number(1000 + i));
        QCOMPARE(t.store.writeCount(), 0);
    }

    // A stored name is loaded whatever its case, but only an exact name is checked; a name that
    // is none of the four, or a custom set named beside a standard one, plays the standard set
    // (or misc) for this run and stores nothing.
    void storedSetNamesAreLoadedIgnoringCaseButCheckedExactly() {
        const struct {
            const char *stored, *custom, *played;
            bool hasTexts;
        } cases[] = {{"Flags", "", "Flags", true},
                     {"bogus", "", "misc", false},
                     {"computer", "/nowhere/set.ims", "computer", false}};
        for (const auto& c : cases) {
            MemorySettingsStore store;
            GameSettings settings;
            settings.standardSetName = c.stored;
            settings.customSetPath = c.custom;
            RecordingSound sound;
            MainWindow window(settings, store, sound);
            window.session()->initialize();
            QCOMPARE(settings.standardSetName, std::string(c.played));
            QCOMPARE(window.session()->images().imageCount(), 20);
            QCOMPARE(!window.session()->images().image(3)->text.isEmpty(), c.hasTexts);
            QVERIFY(window.session()->images().image(3)->hasPicture());
            int checked = 0;
            for (int id : {command::ComputerSet, command::FlagSet, command::TrafficSet,
                           command::MiscSet, command::UseCustomImageSet})
                checked += window.action(id)->isChecked();
            QCOMPARE(checked, std::string(c.played) == "Flags" ? 0 : 1);
            QCOMPARE(store.writeCount(), 0);
        }
    }

    // What the commands write is what the next run reads. A set command writes both names.
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
            QVERIFY(window.session()->game().state().awaitingFirstPick);
            QVERIFY(window.action(command::FlagSet)->isChecked());
            QVERIFY(!window.action(command::MiscSet)->isChecked());
            window.action(command::OnePlayer)->trigger();
            window.action(command::OnePlayer)->trigger(); // again: keeps its check
            QVERIFY(window.action(command::OnePlayer)->isChecked());
            QVERIFY(!window.action(command::TwoPlayers)->isChecked());
            window.action(command::PlaySounds)->trigger();
            QVERIFY(!window.action(command::PlaySounds)->isChecked());
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

    void startUpShowsTheAboutBoxOverTheDealtBoard() {
        GuiTable t;
        t.window->hide();
        bool sawAbout = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            sawAbout =
                about && about->isVisible() && t.window->isVisible() && t.state().awaitingFirstPick;
            if (about)
                about->findChild<QPushButton*>("1")->click();
        });
        t.window->startUp();
        QVERIFY(sawAbout);
        QCOMPARE(t.window->windowTitle(), QString(" Gemino -- Game of Memory & Concentration"));
        QCOMPARE(t.window->frameGeometry(),
                 startupClientGeometry(t.window->screen()->availableGeometry(), {}, 2));
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

    void aboutBoxTextsAndTheMakersPage() {
        QDesktopServices::setUrlHandler("https", this, "openUrl");
        AboutDialog about;
        QStringList texts{about.windowTitle()};
        for (const QWidget* w : about.findChildren<QWidget*>())
            texts << w->objectName() + ' ' + w->property("text").toString();
        QCOMPARE(texts.join('|'), QString("About Gemino|-1 |-1 Gemino Version 2.0   (12/30/02)|"
                                          "-1 Game of Memory and Concentration|"
                                          "-1 Copyright \u00A9 2002 Oakvale. All rights reserved.|"
                                          "3 Other Programs by Oakvale|1 Close"));
        about.show();
        about.findChild<QPushButton*>("3")->click();
        QCOMPARE(urls_, QList<QUrl>{QUrl(AboutDialog::otherProgramsUrl())});
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Return); // Close is the default
        QVERIFY(!about.isVisible());
        QDesktopServices::unsetUrlHandler("https");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

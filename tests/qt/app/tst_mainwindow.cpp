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

// "Text\tShortcut" as the menu resource spells an item.
QString itemText(const QAction* a) {
    if (a->isSeparator()) {
        return "-";
    }
    if (a->menu()) {
        return a->text();
    }
    const QString keys = a->shortcut().toString(QKeySequence::PortableText);
    return keys.isEmpty() ? a->text() : a->text() + "\t" + keys;
}

QStringList items(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions()) {
        items << itemText(a);
    }
    return items;
}

} // namespace

// Opens the target of "Other Programs by Oakvale" instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void captionMenusAndStatusAfterStartUp() {
        GuiTable t;
        QCOMPARE(t.window->windowTitle(), QString(" Gemino -- Game of Memory & Concentration"));
        const QList<QAction*> menus = t.window->menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->text(), QString("&Game"));
        QCOMPARE(menus[1]->text(), QString("&Images"));
        QCOMPARE(menus[2]->text(), QString("&Options"));
        QCOMPARE(menus[3]->text(), QString("&Help"));

        QCOMPARE(items(menus[0]->menu()),
                 QStringList({"Start &New Game\tCtrl+N", "Set &Player Names...\tCtrl+P", "-",
                              "&1-Player Game", "&2-Player Game", "-", "&Timed Game\tCtrl+T", "-",
                              "Best &Results...", "-", "E&xit"}));
        QCOMPARE(items(menus[1]->menu()),
                 QStringList({"Use &Standard Image Set", "-", "&Create Custom Image Set...\tCtrl+C",
                              "Use Custom &Image Set...\tCtrl+I", "-",
                              "Display &All Images for 5 Seconds\tCtrl+A"}));
        QCOMPARE(items(menus[1]->menu()->actions()[0]->menu()),
                 QStringList({"&Computer\tShift+C", "&Flags\tShift+F", "&Traffic\tShift+T",
                              "&Miscellaneous\tShift+M"}));
        QCOMPARE(items(menus[2]->menu()),
                 QStringList({"&Board Layout...\tCtrl+B", "&Maximize Button Size\tCtrl+M", "-",
                              "&Display Properties...\tCtrl+D", "Play &Sounds\tCtrl+S"}));
        QCOMPARE(items(menus[3]->menu()), QStringList({"&About Gemino..."}));

        QCOMPARE(t.window->statusBar()->currentMessage(), QString("  "));
        t.window->statusBar()->showMessage("Start a New Game");
        t.window->statusBar()->clearMessage();
        QCOMPARE(t.window->statusBar()->currentMessage(), QString("  "));
        QCOMPARE(t.action(command::NewGame)->statusTip(), QString("Start a New Game"));
        QCOMPARE(t.action(command::NewGame)->toolTip(), QString("Start New Game"));
        QCOMPARE(t.action(command::BoardLayout)->statusTip(),
                 QString("Change the Number of Columns of Images, Image Size and Spacing."));
        QCOMPARE(t.action(command::MiscSet)->statusTip(),
                 QString("Play the game using a set of miscellaneous images"));
        QCOMPARE(t.action(command::MaximizeButtons)->toolTip(), QString("Max Button Size"));
    }

    void toolbarHoldsTheCommandsInOrder() {
        GuiTable t;
        QStringList ids;
        for (const QAction* a : t.toolBar()->actions()) {
            ids << (a->isSeparator() ? "|" : a->objectName());
        }
        QCOMPARE(ids.join(' '), QString("32773 32795 | 32777 32778 32779 | 32789 32796 32782 "
                                        "32781 | 32771 32772 32791 | 32774 32787 32794 32790"));
        for (const QAction* a : t.toolBar()->actions()) {
            if (!a->isSeparator()) {
                QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
            }
        }
    }

    void firstStartPlaysMiscWithEightColumnsAndChecksIt() {
        GuiTable t;
        QCOMPARE(t.settings.standardSetName, std::string("misc"));
        QVERIFY(t.action(command::MiscSet)->isChecked());
        QVERIFY(!t.action(command::FlagSet)->isChecked());
        QVERIFY(t.action(command::TwoPlayers)->isChecked());
        QVERIFY(t.action(command::PlaySounds)->isChecked());
        QCOMPARE(t.images().imageCount(), 20);
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(t.button(i)->objectName(), QString::number(1000 + i));
            QCOMPARE(t.button(i)->isVisible(), i < 32);
        }
        QCOMPARE(t.button(9)->geometry(), QRect(72, 72, 50, 50));
        QCOMPARE(t.button(9)->text(), QString("B-2"));
        // Loading the set on a first run stores nothing.
        QCOMPARE(t.store.writeCount(), 0);
    }

    void commandStatesFollowTheGame() {
        GuiTable t(1);
        t.settings.numberPlayers = 1;
        auto* timed = t.action(command::TimedGame);
        auto* preview = t.action(command::ShowAllImages);
        auto* layout = t.action(command::BoardLayout);
        auto* maximize = t.action(command::MaximizeButtons);
        // Dealt
        QVERIFY(timed->isEnabled() && preview->isEnabled());
        QVERIFY(layout->isEnabled() && maximize->isEnabled());
        timed->trigger();
        QVERIFY(timed->isChecked());

        // In play: the clock switch keeps its check but can no longer be changed
        const auto [a, b] = t.pair();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QVERIFY(!timed->isEnabled() && !preview->isEnabled());
        QVERIFY(timed->isChecked());
        QVERIFY(layout->isEnabled());

        // Over
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        const auto [c, d] = t.pair();
        QTest::mouseClick(t.button(c), Qt::LeftButton);
        QTest::mouseClick(t.button(d), Qt::LeftButton);
        QVERIFY(t.state().gameOver);
        QVERIFY(!layout->isEnabled() && !maximize->isEnabled());
        QVERIFY(t.action(command::NewGame)->isEnabled());
        QVERIFY(t.action(command::DisplayProperties)->isEnabled());

        t.action(command::NewGame)->trigger();
        QVERIFY(timed->isEnabled() && layout->isEnabled());
        QCOMPARE(t.state().elapsedSeconds, 0);
    }

    void standardSetCommandsWriteBothValuesAndDeal() {
        GuiTable t;
        const auto [a, b] = t.pair();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        QVERIFY(t.state().scores[0] > 0);

        t.action(command::FlagSet)->trigger();
        QCOMPARE(t.settings.standardSetName, std::string("flags"));
        QCOMPARE(std::get<std::string>(t.store.values().at("Standard Image Set")),
                 std::string("flags"));
        QCOMPARE(std::get<std::string>(t.store.values().at("Custom Image Set")), std::string());
        QVERIFY(t.action(command::FlagSet)->isChecked());
        QVERIFY(!t.action(command::MiscSet)->isChecked());
        QCOMPARE(t.state().scores[0], 0);
        QVERIFY(t.state().awaitingFirstPick);
        QVERIFY(!t.images().image(0)->text.isEmpty());

        // The same set again reloads, rewrites and deals anew.
        const int writes = t.store.writeCount();
        t.action(command::FlagSet)->trigger();
        QCOMPARE(t.store.writeCount(), writes + 2);
    }

    void storedSetNamesAreLoadedIgnoringCaseButCheckedExactly() {
        struct Case {
            const char* stored;
            const char* custom;
            const char* played;
            bool hasTexts;
        } cases[] = {
            {"Flags", "", "Flags", true},
            {"bogus", "", "misc", false},
            {"computer", "/nowhere/set.ims", "computer", false},
        };
        for (const Case& c : cases) {
            gemino::MemorySettingsStore store;
            gemino::GameSettings settings;
            settings.standardSetName = c.stored;
            settings.customSetPath = c.custom;
            RecordingSound sound;
            gemino::MainWindow window(settings, store, sound);
            window.session()->initialize();
            QCOMPARE(settings.standardSetName, std::string(c.played));
            QCOMPARE(window.session()->images().imageCount(), 20);
            QCOMPARE(!window.session()->images().image(3)->text.isEmpty(), c.hasTexts);
            QVERIFY(window.session()->images().image(3)->hasPicture());
            const bool anyChecked = window.action(command::FlagSet)->isChecked() ||
                                    window.action(command::MiscSet)->isChecked() ||
                                    window.action(command::ComputerSet)->isChecked();
            QCOMPARE(anyChecked, std::string(c.played) != "Flags");
            QCOMPARE(store.writeCount(), 0);
        }
    }

    void commandsWriteThroughToTheSettingsFile() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Gemino.ini");
        {
            QSettingsStore store(ini);
            GameSettings settings;
            LoadSettings(settings, store, dir.path().toStdString());
            RecordingSound sound;
            MainWindow window(settings, store, sound);
            window.action(command::OnePlayer)->trigger();
            window.action(command::OnePlayer)->trigger(); // again: keeps its check
            QVERIFY(window.action(command::OnePlayer)->isChecked());
            QVERIFY(!window.action(command::TwoPlayers)->isChecked());
            window.action(command::TrafficSet)->trigger();
            window.action(command::PlaySounds)->trigger();
            QVERIFY(!window.action(command::PlaySounds)->isChecked());
            window.resize(900, 700);
            window.action(command::MaximizeButtons)->trigger();
        }
        // A second run reads what the first one wrote, as it was written.
        QSettingsStore again(ini);
        GameSettings settings;
        LoadSettings(settings, again, dir.path().toStdString());
        QCOMPARE(settings.numberPlayers, 1);
        QCOMPARE(settings.standardSetName, std::string("traffic"));
        QCOMPARE(settings.customSetPath, std::string());
        QCOMPARE(settings.playSounds, false);
        QCOMPARE(again.ReadInt(key::PlaySounds, -1), 0);
        QCOMPARE(again.ReadInt(key::ButtonSpacing, -1), 12);
        QVERIFY(again.ReadInt(key::ButtonSize, -1) >= 32);
    }

    void startUpShowsTheAboutBoxOverTheDealtBoard() {
        GuiTable t;
        t.window->hide();
        bool sawAbout = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            sawAbout =
                about && about->isVisible() && t.window->isVisible() && t.state().awaitingFirstPick;
            if (about) {
                about->findChild<QPushButton*>("1")->click();
            }
        });
        t.window->startUp();
        QVERIFY(sawAbout);
        QCOMPARE(t.window->windowTitle(), QString(" Gemino -- Game of Memory & Concentration"));
        QCOMPARE(t.window->frameGeometry().topLeft(),
                 t.window->screen()->availableGeometry().topLeft());
        QCOMPARE(t.window->frameGeometry().width(),
                 t.window->screen()->availableGeometry().width() - 8);
    }

    void aboutBoxTextsAndTheMakersPage() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        AboutDialog about;
        QCOMPARE(about.windowTitle(), QString("About Gemino"));
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
        }
        QVERIFY(texts.contains("Gemino Version 2.0   (12/30/02)"));
        QVERIFY(texts.contains("Game of Memory and Concentration"));
        auto* other = about.findChild<QPushButton*>("3");
        auto* close = about.findChild<QPushButton*>("1");
        QCOMPARE(other->text(), QString("Other Programs by Oakvale"));
        QCOMPARE(close->text(), QString("Close"));
        QVERIFY(close->isDefault());

        about.show();
        other->click();
        other->click();
        QCOMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls[0].toString(), QString(AboutDialog::otherProgramsUrl()));
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        QDesktopServices::unsetUrlHandler("https");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// Records of one-player games: what counts, the status message, the Best Results dialog and
// the settings group the records are kept in.
#include "core/records/records.h"
#include "qt/app/commands.h"
#include "qt/app/gamewatch.h"
#include "qt/app/qsettingsstore.h"
#include "qt/app/recordsdialog.h"
#include "support/guitable.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>

using namespace gemino;

namespace {

QString status(GuiTable& t) {
    return t.window->statusBar()->currentMessage();
}

void click(GuiTable& t, int cell) {
    QTest::mouseClick(t.button(cell), Qt::LeftButton);
}

// Plays the game in play to its end with `misses` misses first.
void playToTheEnd(GuiTable& t, int misses) {
    for (int k = 0; k < misses; ++k) {
        const auto [a, b] = t.mismatch();
        click(t, a);
        click(t, b);
    }
    while (!t.state().gameOver) {
        const auto [a, b] = t.pair();
        click(t, a);
        click(t, b);
    }
}

void dealOnePlayerGame(GuiTable& t) {
    t.action(command::OnePlayer)->trigger();
    t.action(command::NewGame)->trigger();
    t.window->statusBar()->clearMessage();
}

void tick(GuiTable& t) {
    QTimerEvent tick(t.board()->clockTimerId());
    QCoreApplication::sendEvent(t.board(), &tick);
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void onePlayerGameSetsARecordAndTheStatusBarSaysSo() {
        GuiTable t(2);
        dealOnePlayerGame(t);
        playToTheEnd(t, 2);
        QCOMPARE(status(t), QString("New record on Miscellaneous, 2 columns: 2 misses."));
        QCOMPARE(t.records.ReadInt("misc.2.Misses", -1), 2);
        QVERIFY(!t.records.contains("misc.2.Seconds"));
        QVERIFY(face(t).endsWith("2 misses. New record on Miscellaneous, 2 columns: 2 misses."));

        // As many misses again is no record; fewer is.
        t.action(command::NewGame)->trigger();
        t.window->statusBar()->clearMessage();
        playToTheEnd(t, 2);
        QCOMPARE(status(t), QString("  "));
        t.action(command::NewGame)->trigger();
        playToTheEnd(t, 0);
        QCOMPARE(status(t), QString("New record on Miscellaneous, 2 columns: no misses."));
        QCOMPARE(t.records.ReadInt("misc.2.Misses", -1), 0);
    }

    void previewedTimedGameCountsWithItsTime() {
        GuiTable t(1);
        dealOnePlayerGame(t);
        t.action(command::TimedGame)->trigger();
        t.action(command::ShowAllImages)->trigger();
        const auto [a, b] = t.pair();
        click(t, a);
        for (int k = 0; k < 5; ++k) {
            tick(t);
        }
        click(t, b);
        playToTheEnd(t, 0);
        // Five ticks, and one more if the real clock of the game ticked meanwhile.
        const int seconds = t.state().elapsedSeconds;
        QVERIFY(seconds == 5 || seconds == 6);
        QCOMPARE(status(t), QString("New record on Miscellaneous, 1 column: no misses, best time "
                                    "0:0%1.")
                                .arg(seconds));
        QCOMPARE(t.records.ReadInt("misc.1.Seconds", -1), seconds);
    }

    void gamesNotOnePlayerThroughoutDoNotCount_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("two players") << "two";
        QTest::newRow("two for a while") << "switch";
        QTest::newRow("dealt for two, then one") << "late";
    }
    void gamesNotOnePlayerThroughoutDoNotCount() {
        QFETCH(QString, how);
        GuiTable t(1);
        if (how == "two") {
            t.action(command::TwoPlayers)->trigger();
            t.action(command::NewGame)->trigger();
        } else if (how == "switch") {
            dealOnePlayerGame(t);
            const auto [a, b] = t.pair();
            click(t, a);
            t.action(command::TwoPlayers)->trigger();
            t.action(command::OnePlayer)->trigger();
            click(t, b);
        } else {
            t.action(command::TwoPlayers)->trigger();
            t.action(command::NewGame)->trigger();
            t.action(command::OnePlayer)->trigger();
        }
        t.window->statusBar()->clearMessage();
        playToTheEnd(t, 0);
        QVERIFY(t.state().gameOver);
        QCOMPARE(status(t), QString("  "));
        QVERIFY(t.records.values().empty());
    }

    void customSetIsKeyedByItsPath() {
        GuiTable t(1);
        t.settings.standardSetName.clear();
        t.settings.customSetPath = "/home/ann/My Sets/birds.ims";
        dealOnePlayerGame(t);
        playToTheEnd(t, 1);
        QCOMPARE(t.records.ReadInt("file-%2Fhome%2Fann%2FMy%20Sets%2Fbirds%2Eims.1.Misses", -1), 1);
        QCOMPARE(status(t), QString("New record on birds.ims, 1 column: 1 miss."));
    }

    void bestResultsIsAGameCommandOfItsOwn() {
        GuiTable t;
        QAction* best = t.action(command::BestResults);
        QVERIFY(best);
        QCOMPARE(best->objectName(), QString("32800"));
        QCOMPARE(best->statusTip(), QString("Show the best results of one-player games"));
        const QList<QAction*> game = t.window->menuBar()->actions()[0]->menu()->actions();
        const auto at = game.indexOf(best);
        QVERIFY(at > game.indexOf(t.action(command::TimedGame)));
        QVERIFY(at < game.indexOf(t.action(command::Exit)));
        QVERIFY(!t.toolBar()->actions().contains(best));

        t.records.WriteString("Boards", "flags.4");
        t.records.WriteInt("flags.4.Misses", 3);
        t.records.WriteInt("flags.4.Seconds", 125);
        QStringList row;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<RecordsDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                return;
            }
            for (int c = 0; c < dialog->table()->columnCount(); ++c) {
                row << dialog->table()->item(0, c)->text();
            }
            dialog->findChild<QPushButton*>("1")->click();
        });
        best->trigger();
        QCOMPARE(row, QStringList({"Flags", "4", "3", "2:05"}));
    }

    void clearingAsksFirst() {
        MemorySettingsStore store;
        RecordBook book(store);
        book.submit({"misc", 8}, {4, false, 0});
        book.submit({"/sets/a.ims", 3}, {2, true, 61});
        RecordsDialog dialog(book);
        QCOMPARE(dialog.table()->rowCount(), 2);
        QCOMPARE(dialog.table()->item(0, 3)->text(), QString("none"));
        QCOMPARE(dialog.table()->item(1, 0)->toolTip(), QString("/sets/a.ims"));
        auto* clear = dialog.findChild<QPushButton*>("1051");
        QVERIFY(clear->isEnabled());

        int asked = 0;
        dialog.setClearQuestion([&](QWidget*) {
            ++asked;
            return false;
        });
        clear->click();
        QCOMPARE(asked, 1);
        QCOMPARE(book.all().size(), std::size_t(2));

        dialog.setClearQuestion([&](QWidget*) { return true; });
        clear->click();
        QVERIFY(book.all().empty());
        QVERIFY(store.values().empty());
        QCOMPARE(dialog.table()->rowCount(), 0);
        QVERIFY(!clear->isEnabled());
    }

    void recordsLiveInTheirOwnGroupBesideTheSettings() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Gemino.ini");
        const std::string path = "C:\\Games\\Sets/odd=name;[x].ims";
        {
            QSettingsStore settings(ini);
            QSettingsStore records(ini, QStringLiteral("Records"));
            settings.WriteInt(key::NumberColumns, 6);
            settings.WriteString(key::Player1Name, "Ann");
            RecordBook book(records);
            book.submit({path, 6}, {3, true, 42});
            book.submit({"traffic", 2}, {1, false, 0});
            QCOMPARE(records.ReadInt(key::NumberColumns, -1), -1);
            QCOMPARE(settings.ReadString("Boards", "none"), std::string("none"));
        }
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains("[Records]"));
        QVERIFY(text.contains("[Settings]"));

        QSettingsStore settings(ini);
        QSettingsStore records(ini, QStringLiteral("Records"));
        RecordBook book(records);
        const auto all = book.all();
        QCOMPARE(all.size(), std::size_t(2));
        QCOMPARE(all[1].first.imageSet, path);
        QCOMPARE(all[1].second, (BoardRecord{3, 42}));
        book.clear();
        QVERIFY(book.all().empty());
        QVERIFY(!QSettings(ini, QSettings::IniFormat).childGroups().contains("Records"));
        QCOMPARE(settings.ReadInt(key::NumberColumns, -1), 6);
        QCOMPARE(settings.ReadString(key::Player1Name, ""), std::string("Ann"));
    }

private:
    static QString face(GuiTable& t) {
        return QAccessible::queryAccessibleInterface(t.board())->text(QAccessible::Description);
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"

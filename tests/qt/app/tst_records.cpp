// Records of one-player games: what counts, the status message, the Best Results dialog and
// the settings group the records are kept in.
#include "core/records/records.h"
#include "qt/app/commands.h"
#include "qt/app/qsettingsstore.h"
#include "qt/app/recordsdialog.h"
#include "qt/widgets/prompts.h"
#include "support/guitable.h"

#include <QAccessible>
#include <QCoreApplication>
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
        const QString told =
            QAccessible::queryAccessibleInterface(t.board())->text(QAccessible::Description);
        QVERIFY2(told.endsWith("2 misses. New record on Miscellaneous, 2 columns: 2 misses."),
                 qPrintable(told));

        // As many misses again is no record.
        dealOnePlayerGame(t);
        playToTheEnd(t, 2);
        QCOMPARE(status(t), QString("  "));
    }

    void previewedTimedGameCountsWithItsTime() {
        GuiTable t(1);
        dealOnePlayerGame(t);
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
        // Five ticks, and one more if the game's real clock ticked meanwhile.
        const int seconds = t.state().elapsedSeconds;
        QVERIFY(seconds == 5 || seconds == 6);
        QCOMPARE(t.records.ReadInt("misc.1.Seconds", -1), seconds);
    }

    void gamesNotOnePlayerThroughoutDoNotCount_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("two for a while") << "switch";
        QTest::newRow("dealt for two, then one") << "late";
    }
    void gamesNotOnePlayerThroughoutDoNotCount() {
        QFETCH(QString, how);
        GuiTable t(1);
        if (how == "switch") {
            dealOnePlayerGame(t);
            click(t, t.pair().first);
            t.action(command::TwoPlayers)->trigger();
            t.action(command::OnePlayer)->trigger();
        } else if (how == "late") {
            t.action(command::NewGame)->trigger();
            t.action(command::OnePlayer)->trigger();
        }
        t.window->statusBar()->clearMessage();
        playToTheEnd(t, 0);
        QCOMPARE(status(t), QString("  "));
        QVERIFY(t.records.values().empty());
    }

    void bestResultsShowsTheTableAndClearsItAfterAsking() {
        GuiTable t;
        QAction* best = t.action(command::BestResults);
        QCOMPARE(best->objectName(), QString("32800"));
        QCOMPARE(best->statusTip(), QString("Show the best results of one-player games"));

        t.records.WriteString("Boards", "flags.4 file-%2Fsets%2Fa%2Eims.3");
        t.records.WriteInt("flags.4.Misses", 3);
        t.records.WriteInt("flags.4.Seconds", 125);
        t.records.WriteInt("file-%2Fsets%2Fa%2Eims.3.Misses", 2);
        QStringList rows;
        int asked = 0;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<RecordsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            for (int r = 0; r < dialog->table()->rowCount(); ++r) {
                for (int c = 0; c < 4; ++c) {
                    rows << dialog->table()->item(r, c)->text();
                }
            }
            rows << dialog->table()->item(1, 0)->toolTip();
            auto* clear = dialog->findChild<QPushButton*>("1051");
            setMessageBoxHook([&](QWidget*, MessageIcon, const QString& caption,
                                  const QString& text, MessageButtons buttons) {
                rows << caption + ": " + text +
                            (buttons == MessageButtons::YesNo ? " [Yes No]" : " [?]");
                return ++asked == 2 ? MessageAnswer::Yes : MessageAnswer::No;
            });
            clear->click(); // "No": kept
            rows << QString::number(dialog->table()->rowCount());
            clear->click(); // "Yes"
            rows << QString::number(dialog->table()->rowCount())
                 << (clear->isEnabled() ? "on" : "off");
            dialog->findChild<QPushButton*>("1")->click();
        });
        best->trigger();
        setMessageBoxHook({});
        const QString question =
            "Best Results: Clear all best results? This cannot be undone. [Yes No]";
        QCOMPARE(rows, QStringList({"Flags", "4", "3", "2:05", "a.ims", "3", "2", "none",
                                    "/sets/a.ims", question, "2", question, "0", "off"}));
        QVERIFY(t.records.values().empty());
    }

    void recordsLiveInTheirOwnGroupBesideTheSettings() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Gemino.ini");
        const std::string path = "C:\\Games\\Sets/odd=name;[x].ims";
        {
            QSettingsStore settings(ini);
            QSettingsStore records(ini, QStringLiteral("Records"));
            settings.WriteInt(key::NumberColumns, 6);
            RecordBook(records).submit({path, 6}, {3, true, 42});
        }
        QCOMPARE(QSettings(ini, QSettings::IniFormat).childGroups(),
                 QStringList({"Records", "Settings"}));
        QSettingsStore records(ini, QStringLiteral("Records"));
        RecordBook book(records);
        QCOMPARE(book.all().size(), std::size_t(1));
        QCOMPARE(book.all()[0].first.imageSet, path);
        QCOMPARE(book.all()[0].second, (BoardRecord{3, 42}));
        book.clear();
        QCOMPARE(QSettings(ini, QSettings::IniFormat).childGroups(), QStringList({"Settings"}));
        QCOMPARE(QSettingsStore(ini).ReadInt(key::NumberColumns, -1), 6);
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"

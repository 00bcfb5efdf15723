// Thousands of random clicks, keys, clock ticks and commands, every dialog they open worked and
// closed, with the rules that hold between any two inputs checked after each one.
#include "core/imagesets/imsformat.h"
#include "qt/app/commands.h"
#include "qt/app/spincontrol.h"
#include "qt/widgets/prompts.h"
#include "support/guitable.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>

using namespace gemino;

class TestStress : public QObject {
    Q_OBJECT

    QRandomGenerator random_{20240607};
    QTemporaryDir dir_;
    QStringList setFiles_;
    int dialogs_ = 0;

    int pick(int n) { return static_cast<int>(random_.bounded(n)); }

    // A few random steps, clicks and names in whatever modal dialog is open, then OK or Cancel.
    void workDialog() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ++dialogs_;
        const auto controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int k = pick(6); k > 0 && dialog->isVisible(); --k) {
            QWidget* control = controls[pick(static_cast<int>(controls.size()))];
            if (auto* spin = qobject_cast<SpinControl*>(control))
                spin->step(pick(41) - 20);
            else if (auto* edit = qobject_cast<QLineEdit*>(control); edit && !edit->isReadOnly())
                edit->setText(QString(pick(12), QChar('a' + pick(26))));
            else if (auto* button = qobject_cast<QAbstractButton*>(control))
                button->click();
        }
        if (dialog->isVisible())
            pick(2) ? dialog->accept() : dialog->reject();
    }

    // One input, by the keyboard alone or by mouse too; returns what it was.
    QString play(GuiTable& t, bool keyboard) {
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : t.board();
        const GameState& s = t.state();
        const int kind = keyboard ? 26 + pick(14) : pick(40);
        if (kind < 26) {
            // A cell, half of the time the partner of the one uncovered; a hidden button's
            // square is a click on the board.
            const int n = t.session()->game().cellsInPlay();
            int cell = pick(n);
            for (int i = 0; s.firstPick >= 0 && i < n && kind % 2; ++i)
                if (i != s.firstPick && s.cellImage[i] == s.cellImage[s.firstPick])
                    cell = i;
            QWidget* target = t.button(cell);
            if (target->isHidden())
                target = t.board();
            QTest::mouseClick(target, Qt::LeftButton, {},
                              target->mapFrom(t.board(), t.button(cell)->geometry().center()));
            return QString("click on cell %1").arg(cell);
        }
        if (kind < 32) {
            const int key = kind % 2 ? Qt::Key_A + pick(26) : Qt::Key_0 + pick(10);
            const Qt::KeyboardModifiers mod = pick(4) ? Qt::NoModifier : Qt::KeypadModifier;
            QTest::keyClick(focus, Qt::Key(key), mod);
            return QString("key %1 %2").arg(key, 0, 16).arg(mod.toInt());
        }
        if (kind < 33) {
            const char* shortcuts[] = {"Esc",     "Ctrl+A",  "Ctrl+B",  "Ctrl+D",
                                       "Ctrl+I",  "Ctrl+M",  "Ctrl+N",  "Ctrl+P",
                                       "Ctrl+S",  "Ctrl+T",  "Shift+C", "Shift+F",
                                       "Shift+M", "Shift+T", "Ctrl+E",  "Shift+B"};
            const char* keys = shortcuts[pick(16)];
            QTest::keySequence(focus, QKeySequence(QString(keys)));
            return keys;
        }
        if (kind < 35) {
            if (const int timer = t.board()->clockTimerId()) {
                QTimerEvent tick(timer);
                QCoreApplication::sendEvent(t.board(), &tick);
            }
            return "tick";
        }
        if (kind < 36) {
            t.window->resize(200 + pick(1200), 150 + pick(900));
            return "resize";
        }
        const auto actions = t.window->actions();
        QAction* action = actions[pick(static_cast<int>(actions.size()))];
        action->trigger();
        // Exit closes the window; the next input finds it open again.
        if (!t.window->isVisible()) {
            t.window->show();
            t.window->activateWindow();
        }
        return "command " + action->objectName();
    }

    // The rules that hold whenever the game rests between two inputs; empty when they all do.
    static QString broken(const GuiTable& t) {
        const GameState& s = t.state();
        const int n = t.session()->game().cellsInPlay();
        if (n < 4 || n > kMaxCells || t.images().imageCount() < n / 2 || t.session()->busy())
            return "board of " + QString::number(n) + " cells";
        std::vector<int> copies(n / 2);
        int matched = 0;
        for (int i = 0; i < n; ++i) {
            const int image = s.cellImage[i];
            if (image < 0 || image >= n / 2)
                return QString("cell %1 holds image %2").arg(i).arg(image);
            ++copies[image];
            matched += s.cellMatched[i];
            const bool covered = !s.gameOver && !s.cellMatched[i] && i != s.firstPick;
            if (t.button(i)->isHidden() == covered)
                return QString("button %1 %2").arg(i).arg(covered ? "hidden" : "shown");
        }
        for (int i = n; i < kMaxCells; ++i)
            if (!t.button(i)->isHidden())
                return QString("button %1 beyond the board shown").arg(i);
        if (std::any_of(copies.begin(), copies.end(), [](int c) { return c != 2; }))
            return "an image not on exactly two cells";
        if (s.firstPick < -1 || s.firstPick >= n ||
            (s.firstPick >= 0 && s.cellMatched[s.firstPick]) || s.secondPick != -1 ||
            s.flashFirst != -1 || s.flashSecond != -1)
            return QString("picks %1 %2").arg(s.firstPick).arg(s.secondPick);
        if (s.gameOver != (matched == n) || s.streak < 0 || s.currentPlayer < 0 ||
            s.currentPlayer > t.settings.numberPlayers - 1)
            return "turn state";
        // Every match scores 100 or more in steps of 50.
        const int total = s.scores[0] + s.scores[1];
        if (s.scores[0] < 0 || s.scores[1] < 0 || total % 50 != 0 || total < 100 * matched / 2)
            return QString("scores %1 %2").arg(s.scores[0]).arg(s.scores[1]);
        if (s.selectedColumn < -1 || s.selectedColumn >= n / kRows || s.selectedRow < -1 ||
            s.selectedRow >= kRows)
            return "keyboard choice";
        // The menu's check marks and enabled commands follow the game and the settings.
        using namespace command;
        const auto on = [&](int id) { return t.action(id)->isChecked(); };
        const auto enabled = [&](int id) { return t.action(id)->isEnabled(); };
        const GameSettings& g = t.settings;
        if (on(TimedGame) != s.timedGame || enabled(TimedGame) != s.awaitingFirstPick ||
            enabled(ShowAllImages) != s.awaitingFirstPick || enabled(BoardLayout) == s.gameOver ||
            enabled(MaximizeButtons) == s.gameOver || on(OnePlayer) != (g.numberPlayers == 1) ||
            on(TwoPlayers) != (g.numberPlayers == 2) ||
            on(MiscSet) != (g.standardSetName == "misc") ||
            on(FlagSet) != (g.standardSetName == "flags") || !enabled(UseCustomImageSet) ||
            on(UseCustomImageSet) == g.customSetPath.empty() || on(PlaySounds) != g.playSounds)
            return "command states";
        return {};
    }

public slots:
    void openUrl(const QUrl&) {}

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QDesktopServices::setUrlHandler("https", this, "openUrl");
        setMessageBoxHook(
            [](QWidget*, MessageIcon, const QString&, const QString&, MessageButtons buttons) {
                return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
            });
        // Sets of 3 and 9 pictures, which lower the columns; a missing file; Cancel.
        std::vector<ImsEntry> entries;
        for (int k = 0; k < 9; ++k) {
            QImage image(16, 16, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(k * 40, 200, 200));
            const QString file = dir_.filePath(QString("p%1.png").arg(k));
            QVERIFY(image.save(file));
            entries.push_back({0, file.toStdString(), ""});
            if (k == 2 || k == 8) {
                setFiles_ << dir_.filePath(QString("set%1.ims").arg(k));
                QVERIFY(saveImageSetFile(setFiles_.last().toStdString(), entries).ok());
            }
        }
        setFiles_ << dir_.filePath("gone.ims") << QString();
        setFileDialogHook([this](QFileDialog&) { return setFiles_[pick(4)]; });
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("https"); }

    void randomInputKeepsTheGameWhole() {
        GuiTable t(10);
        // Whatever dialog an input opens is worked and closed as soon as it waits for the user.
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, &TestStress::workDialog);
        answer.start(0);
        QElapsedTimer clock;
        clock.start();
        int events = 0;
        int finished = 0;
        bool keyboard = false;
        // Bounded in time too, for slow builds (sanitizers); the seed makes the order repeatable.
        for (; events < 5000 && clock.elapsed() < 25000; ++events) {
            // Stretches of keyboard alone keep half-typed choices alive across commands.
            keyboard = pick(100) ? keyboard : !keyboard;
            const bool over = t.state().gameOver;
            const QString input = play(t, keyboard);
            finished += !over && t.state().gameOver;
            const QString problem = broken(t);
            QVERIFY2(
                problem.isEmpty(),
                qPrintable(QString("after input %1 (%2): %3").arg(events).arg(input, problem)));
        }
        qInfo("%d inputs in %lld ms: %d games finished, %d dialogs", events, clock.elapsed(),
              finished, dialogs_);
        QVERIFY(events >= 500 && finished > 0 && dialogs_ > 0);
    }
};

QTEST_MAIN(TestStress)
#include "tst_stress.moc"

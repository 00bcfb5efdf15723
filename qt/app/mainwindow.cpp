#include "qt/app/mainwindow.h"

#include "core/board/geometry.h"
#include "core/settings/settings.h"
#include "qt/access/boardaccessibility.h"
#include "qt/app/aboutdialog.h"
#include "qt/app/commands.h"
#include "qt/app/gamesession.h"
#include "qt/app/gamewatch.h"
#include "qt/board/boardview.h"
#include "qt/menus/glyphmenu.h"
#include "qt/platform/waitcursor.h"
#include "qt/widgets/prompts.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QIconEngine>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace gemino {

namespace {

// The idle text of the message pane: two blanks, so it looks empty.
const QString kIdleStatus = QStringLiteral("  ");
// The width of a window's 3-D edge, as the frame's margins and the button sizing count it.
constexpr int kEdge = 2;
// How long after showing the frame a window manager's report of its decorations is awaited.
constexpr int kFrameReportWaitMs = 3000;
// A window that is never painted (minimised from the start, say) still gets its About box.
constexpr int kFirstPaintWaitMs = 2000;

// A toolbar picture, drawn from its vector form at the size the toolbar asks for (its 16 x 15
// design size, twice that on dense screens) when the toolbar is first painted, and kept.
class ToolbarIconEngine final : public QIconEngine {
public:
    explicit ToolbarIconEngine(QString file) : file_(std::move(file)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        for (const Drawn& drawn : drawn_) {
            if (drawn.size == size && drawn.mode == mode) {
                return drawn.pixmap;
            }
        }
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QSvgRenderer renderer(file_);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        if (mode != QIcon::Normal) {
            // Greyed as the style greys every other picture.
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        drawn_.push_back({size, mode, pixmap});
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : qreal(1);
        painter->drawPixmap(rect, pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 15), QSize(32, 30)};
    }
    QString key() const override { return QStringLiteral("gemino.toolbar"); }
    QIconEngine* clone() const override { return new ToolbarIconEngine(file_); }

private:
    struct Drawn {
        QSize size;
        QIcon::Mode mode;
        QPixmap pixmap;
    };
    QString file_;
    std::vector<Drawn> drawn_;
};

QIcon toolbarIcon(int id) {
    const QString file = GlyphMenu::toolbarPictureFile(id);
    if (!QFile::exists(file)) {
        return {}; // commands off the toolbar have no picture
    }
    return QIcon(new ToolbarIconEngine(file));
}

} // namespace

const char* MainWindow::caption() {
    return " Gemino -- Game of Memory & Concentration";
}

MainWindow::MainWindow(GameSettings& settings, SettingsStore& store, SoundOutput& sound,
                       QWidget* parent, SettingsStore* recordStore)
    : QMainWindow(parent), settings_(settings), store_(store) {
    // Before the board exists, so no interface of Qt's own is made for it first.
    BoardAccessibility::installFactory();
    board_ = new BoardView(settings, sound, this);
    setCentralWidget(board_);
    session_ = new GameSession(settings, store, *board_, this);
    watch_ = new GameWatch(*session_, *board_, recordStore, this);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    // The menus show the toolbar's pictures and the prompt of every highlighted item.
    auto* glyphMenu = new GlyphMenu(statusBar(), this);
    for (const QAction* menu : menuBar()->actions()) {
        glyphMenu->attach(menu->menu());
    }
    glyphMenu->AttachToolbarPictures(*toolBar_);

    connect(session_, &GameSession::stateChanged, this, &MainWindow::updateCommandStates);
    connect(watch_, &GameWatch::newRecord, this,
            [this](const QString& message) { statusBar()->showMessage(message); });
    setWindowTitle(QString::fromLatin1(caption()));
    board_->setFocus();
    updateCommandStates();
}

QAction* MainWindow::addCommand(int id, const QString& text, const QString& shortcut,
                                const QString& statusTip, const QString& toolTip, bool checkable) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    if (!shortcut.isEmpty()) {
        action->setShortcut(QKeySequence(shortcut));
    }
    action->setStatusTip(statusTip);
    action->setToolTip(toolTip);
    action->setCheckable(checkable);
    action->setIcon(toolbarIcon(id));
    action->setIconVisibleInMenu(false);
    actions_[id] = action;
    return action;
}

QAction* MainWindow::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::createActions() {
    using namespace command;
    connect(addCommand(NewGame, tr("Start &New Game"), "Ctrl+N", tr("Start a New Game"),
                       tr("Start New Game"), false),
            &QAction::triggered, session_, &GameSession::newGame);
    connect(addCommand(PlayerNames, tr("Set &Player Names..."), "Ctrl+P",
                       tr("Specify the Names of Players 1 and 2"), tr("Set Player Names"), false),
            &QAction::triggered, this, &MainWindow::onPlayerNames);
    connect(addCommand(OnePlayer, tr("&1-Player Game"), {}, tr("The Game is Played by One Person"),
                       tr("One Player Game"), true),
            &QAction::triggered, this, [this] { session_->setNumberPlayers(1); });
    connect(addCommand(TwoPlayers, tr("&2-Player Game"), {}, tr("The Game is Played by Two People"),
                       tr("Two Player Game"), true),
            &QAction::triggered, this, [this] { session_->setNumberPlayers(2); });
    connect(addCommand(TimedGame, tr("&Timed Game"), "Ctrl+T",
                       tr("Display the Elapsed Time Since the Game Began"), tr("Timed Game"), true),
            &QAction::triggered, session_, &GameSession::toggleTimedGame);
    connect(addCommand(BestResults, tr("Best &Results..."), {},
                       tr("Show the best results of one-player games"), tr("Best Results"), false),
            &QAction::triggered, this, &MainWindow::onBestResults);
    connect(addCommand(Exit, tr("E&xit"), {}, tr("Quit the application; prompts to save documents"),
                       tr("Exit"), false),
            &QAction::triggered, this, &QWidget::close);

    const struct {
        int id;
        const char* text;
        const char* shortcut;
        const char* kind;
        const char* toolTip;
        const char* name;
    } sets[] = {
        {ComputerSet, "&Computer", "Shift+C", "computer", "Use Computer Images", "computer"},
        {FlagSet, "&Flags", "Shift+F", "flag", "Use Flag Images", "flags"},
        {TrafficSet, "&Traffic", "Shift+T", "traffic", "Use Traffic Images", "traffic"},
        {MiscSet, "&Miscellaneous", "Shift+M", "miscellaneous", "Use Miscellaneous Images", "misc"},
    };
    for (const auto& set : sets) {
        QAction* a = addCommand(set.id, tr(set.text), set.shortcut,
                                tr("Play the game using a set of %1 images").arg(set.kind),
                                tr(set.toolTip), true);
        const std::string name = set.name;
        connect(a, &QAction::triggered, this, [this, name] { session_->useStandardSet(name); });
    }

    connect(addCommand(CreateCustomImageSet, tr("&Create Custom Image Set..."), "Ctrl+C",
                       tr("Create a Custom Image Set for Use in a Gemino Game"),
                       tr("Create Custom Image Set"), false),
            &QAction::triggered, this, &MainWindow::onCreateCustomImageSet);
    connect(addCommand(UseCustomImageSet, tr("Use Custom &Image Set..."), "Ctrl+I",
                       tr("Use Images from a Custom Image Set"), tr("Use Custom Image Set"), true),
            &QAction::triggered, this, &MainWindow::onUseCustomImageSet);
    connect(addCommand(ShowAllImages, tr("Display &All Images for 5 Seconds"), "Ctrl+A",
                       tr("Display All Images at the Start of the Game"),
                       tr("Display All Images for 5 Seconds"), false),
            &QAction::triggered, session_, &GameSession::showAllImages);
    connect(addCommand(BoardLayout, tr("&Board Layout..."), "Ctrl+B",
                       tr("Change the Number of Columns of Images, Image Size and Spacing."),
                       tr("Board Layout"), false),
            &QAction::triggered, this, &MainWindow::onBoardLayout);
    connect(addCommand(MaximizeButtons, tr("&Maximize Button Size"), "Ctrl+M",
                       tr("This will cause the buttons to become as big as possible"),
                       tr("Max Button Size"), false),
            &QAction::triggered, this, &MainWindow::maximizeButtonSize);
    connect(addCommand(DisplayProperties, tr("&Display Properties..."), "Ctrl+D",
                       tr("Set Various Display Properties"), tr("Display Properties"), false),
            &QAction::triggered, this, &MainWindow::onDisplayProperties);
    connect(addCommand(PlaySounds, tr("Play &Sounds"), "Ctrl+S",
                       tr("Enable / Disable the Sounds in the Gemino Game"), tr("Play Sounds"),
                       true),
            &QAction::triggered, session_, &GameSession::togglePlaySounds);
    connect(addCommand(About, tr("&About Gemino..."), {},
                       tr("Display program information, version number and copyright"), tr("About"),
                       false),
            &QAction::triggered, this, &MainWindow::showAbout);

    for (auto& [id, a] : actions_) {
        // Shortcuts work wherever the focus is in the window, as accelerators do.
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
}

void MainWindow::createMenus() {
    using namespace command;
    QMenu* game = menuBar()->addMenu(tr("&Game"));
    game->addAction(action(NewGame));
    game->addAction(action(PlayerNames));
    game->addSeparator();
    game->addAction(action(OnePlayer));
    game->addAction(action(TwoPlayers));
    game->addSeparator();
    game->addAction(action(TimedGame));
    game->addSeparator();
    game->addAction(action(BestResults));
    game->addSeparator();
    game->addAction(action(Exit));

    QMenu* images = menuBar()->addMenu(tr("&Images"));
    QMenu* standard = images->addMenu(tr("Use &Standard Image Set"));
    standard->addAction(action(ComputerSet));
    standard->addAction(action(FlagSet));
    standard->addAction(action(TrafficSet));
    standard->addAction(action(MiscSet));
    images->addSeparator();
    images->addAction(action(CreateCustomImageSet));
    images->addAction(action(UseCustomImageSet));
    images->addSeparator();
    images->addAction(action(ShowAllImages));

    QMenu* options = menuBar()->addMenu(tr("&Options"));
    options->addAction(action(BoardLayout));
    options->addAction(action(MaximizeButtons));
    options->addSeparator();
    options->addAction(action(DisplayProperties));
    options->addAction(action(PlaySounds));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(action(About));

    for (QMenu* menu : {game, images, standard, options, help}) {
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
    }
}

void MainWindow::createToolBar() {
    using namespace command;
    toolBar_ = addToolBar(tr("Toolbar"));
    toolBar_->setObjectName("59392");
    // The gripper is shown, yet the bar can neither float nor dock anywhere but the top.
    toolBar_->setMovable(true);
    toolBar_->setFloatable(false);
    toolBar_->setAllowedAreas(Qt::TopToolBarArea);
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    const int groups[][4] = {{NewGame, TimedGame, 0, 0},
                             {PlayerNames, OnePlayer, TwoPlayers, 0},
                             {ComputerSet, FlagSet, TrafficSet, MiscSet},
                             {CreateCustomImageSet, UseCustomImageSet, ShowAllImages, 0},
                             {BoardLayout, MaximizeButtons, DisplayProperties, PlaySounds}};
    bool first = true;
    for (const auto& group : groups) {
        if (!first) {
            toolBar_->addSeparator();
        }
        first = false;
        for (int id : group) {
            if (id != 0) {
                toolBar_->addAction(action(id));
            }
        }
    }
}

void MainWindow::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("59393");
    bar->setSizeGripEnabled(true);
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty()) {
            bar->showMessage(kIdleStatus);
        }
    });
    bar->showMessage(kIdleStatus);
}

void MainWindow::updateCommandStates() {
    using namespace command;
    const Game& game = session_->game();
    const bool previewing = game.state().showingAll;

    action(TimedGame)->setChecked(game.state().timedGame);
    action(TimedGame)->setEnabled(game.canToggleTimedGame());
    action(ShowAllImages)->setEnabled(game.canShowAllImages());
    action(OnePlayer)->setChecked(settings_.numberPlayers == 1);
    action(TwoPlayers)->setChecked(settings_.numberPlayers == 2);
    // The check marks compare names exactly, although loading ignores case.
    action(ComputerSet)->setChecked(settings_.standardSetName == "computer");
    action(FlagSet)->setChecked(settings_.standardSetName == "flags");
    action(TrafficSet)->setChecked(settings_.standardSetName == "traffic");
    action(MiscSet)->setChecked(settings_.standardSetName == "misc");
    action(CreateCustomImageSet)->setEnabled(!previewing);
    action(UseCustomImageSet)->setEnabled(!previewing);
    action(UseCustomImageSet)->setChecked(!settings_.customSetPath.empty());
    action(BoardLayout)->setEnabled(game.canChangeBoardLayout());
    action(MaximizeButtons)->setEnabled(game.canChangeBoardLayout());
    action(PlaySounds)->setChecked(settings_.playSounds);
}

void MainWindow::maximizeButtonSize() {
    const WaitCursor wait;
    WindowMetrics m;
    m.edgeX = m.edgeY = kEdge;
    m.windowWidth = frameGeometry().width();
    m.windowHeight = frameGeometry().height();
    m.caption = geometry().top() - frameGeometry().top();
    // Menu bar, toolbar and status bar: the three bar heights the arithmetic sets aside.
    const int bars = menuBar()->height() + toolBar_->height() + statusBar()->height();
    m.menu = (bars + 2) / 3;
    session_->MaximizeButtonSize(m);
    update();
}

QRect startupClientGeometry(const QRect& available, const QMargins& frame, int edge) {
    const int frameWidth = available.width() - 2 - 3 * edge;
    const int frameHeight = available.height() - 2 - 3 * edge;
    return QRect(available.left() + frame.left(), available.top() + frame.top(),
                 std::max(0, frameWidth - frame.left() - frame.right()),
                 std::max(0, frameHeight - frame.top() - frame.bottom()));
}

QMargins MainWindow::decorations() const {
    return windowHandle() ? windowHandle()->frameMargins() : QMargins();
}

void MainWindow::placeOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QMargins frame = decorations();
    const QRect client = startupClientGeometry(screen->availableGeometry(), frame, kEdge);
    resize(client.size());
    // move() places the frame, decorations included.
    move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

void MainWindow::fitFrameOnce() {
    if (framePending_ && !decorations().isNull()) {
        framePending_ = false;
        placeOnScreen();
    }
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // A window manager reports the decorations some time after the window is shown, with the
    // move or resize that puts the frame around it.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
        fitFrameOnce();
    }
    return handled;
}

void MainWindow::startUp() {
    session_->initialize();
    placeOnScreen();
    show();
    // Decorations known by now (or as soon as they arrive) make the frame's size exact, once:
    // later sizes are the user's, so a window manager that stays silent is not waited for.
    framePending_ = true;
    fitFrameOnce();
    QTimer::singleShot(kFrameReportWaitMs, this, [this] { framePending_ = false; });
    setWindowTitle(QString::fromLatin1(caption()));
    session_->clearKeyboardSelection();
    // The board is painted before the About box is built; input waits, as it would behind
    // the box.
    if (!board_->painted()) {
        QEventLoop loop;
        connect(board_, &BoardView::firstPainted, &loop, &QEventLoop::quit);
        QTimer::singleShot(kFirstPaintWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // Rendered at several sizes for the window system: not before the board is up.
    setWindowIcon(QIcon(QStringLiteral(":/icons/app/gemino.svg")));
    showAbout();
    if (const std::optional<SetProblem> problem = session_->takeStartupProblem()) {
        showMessageBox(this, MessageIcon::Warning, problem->caption, problem->text);
    }
}

void MainWindow::showAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

} // namespace gemino

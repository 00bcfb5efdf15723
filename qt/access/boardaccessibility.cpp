#include "qt/access/boardaccessibility.h"

#include "core/engine/game.h"
#include "core/settings/settings.h"
#include "qt/board/boardview.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/setimage.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

namespace gemino {

namespace {

const QString kHelp = QStringLiteral("Type a column letter and a row digit to uncover a cell.");

BoardAccessibility* accessibilityOfCell(const QWidget* button) {
    return button ? BoardAccessibility::of(button->parentWidget()) : nullptr;
}

// A cell: a button named by its label, present whether its button is shown or hidden, pressed
// while its picture shows and unavailable once its pair is found.
class CellAccessible : public QAccessibleWidget {
public:
    explicit CellAccessible(QWidget* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        const BoardAccessibility* access = accessibilityOfCell(widget());
        const int cell = access ? access->cellOf(widget()) : -1;
        if (cell < 0 || cell >= access->cellsInPlay()) {
            return QAccessibleWidget::text(t);
        }
        switch (t) {
        case QAccessible::Name:
            return access->cellName(cell);
        case QAccessible::Description:
            return access->cellDescription(cell);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const BoardAccessibility* access = accessibilityOfCell(widget());
        const int cell = access ? access->cellOf(widget()) : -1;
        if (cell < 0 || cell >= access->cellsInPlay()) {
            return s;
        }
        // An uncovered cell's button is hidden, yet the cell is still on the board.
        const bool shown = access->board().isVisible();
        s.invisible = !shown;
        s.offscreen = !shown;
        // Uncovering checks a cell and covering unchecks it; a found pair is out of play.
        const CellFace face = access->face(cell);
        s.checkable = true;
        s.checked = face == CellFace::Uncovered;
        s.pressed = face == CellFace::Uncovered;
        s.disabled = face == CellFace::Removed;
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        BoardAccessibility* access = accessibilityOfCell(widget());
        const int cell = access ? access->cellOf(widget()) : -1;
        if (name == pressAction() && cell >= 0) {
            access->press(cell);
            return;
        }
        QAccessibleWidget::doAction(name);
    }
};

// The board: the cells in play, then the scoreboard and the news. Its description is the latest
// news, its value the scoreboard.
class BoardAccessible : public QAccessibleWidget {
public:
    explicit BoardAccessible(QWidget* board)
        : QAccessibleWidget(board, QAccessible::Grouping, QStringLiteral("Board")) {}

    int childCount() const override {
        const BoardAccessibility* access = BoardAccessibility::of(widget());
        return access ? access->cellsInPlay() + 2 : QAccessibleWidget::childCount();
    }

    QAccessibleInterface* child(int index) const override {
        BoardAccessibility* access = BoardAccessibility::of(widget());
        if (!access) {
            return QAccessibleWidget::child(index);
        }
        const int cells = access->cellsInPlay();
        if (index >= 0 && index < cells) {
            return QAccessible::queryAccessibleInterface(access->board().cellButton(index));
        }
        if (index == cells) {
            return QAccessible::queryAccessibleInterface(access);
        }
        return index == cells + 1 ? QAccessible::queryAccessibleInterface(access->newsObject())
                                  : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const BoardAccessibility* access = BoardAccessibility::of(widget());
        if (!access || !child) {
            return QAccessibleWidget::indexOfChild(child);
        }
        if (child->object() == access) {
            return access->cellsInPlay();
        }
        if (child->object() == access->newsObject()) {
            return access->cellsInPlay() + 1;
        }
        const int cell = access->cellOf(child->object());
        return cell < access->cellsInPlay() ? cell : -1;
    }

    QString text(QAccessible::Text t) const override {
        const BoardAccessibility* access = BoardAccessibility::of(widget());
        switch (t) {
        case QAccessible::Name:
            return QStringLiteral("Board");
        case QAccessible::Description:
            return access ? access->boardDescription() : kHelp;
        case QAccessible::Value:
            return access ? access->scoreboard() : QString();
        case QAccessible::Help:
            return kHelp;
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

// A child of the board that is no widget: the scoreboard and the news.
class BoardPartAccessible : public QAccessibleObject {
public:
    using QAccessibleObject::QAccessibleObject;

    QWindow* window() const override {
        const BoardAccessibility* a = access();
        return a ? a->board().window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        const BoardAccessibility* a = access();
        return a ? QAccessible::queryAccessibleInterface(&a->board()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

protected:
    virtual BoardAccessibility* access() const = 0;
};

// The news: a notification named by the latest piece of news, over the board.
class NewsAccessible : public BoardPartAccessible {
public:
    explicit NewsAccessible(BoardNews* news) : BoardPartAccessible(news) {}

    QString text(QAccessible::Text t) const override {
        const BoardAccessibility* a = access();
        return t == QAccessible::Name && a ? a->news() : QString();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        const BoardAccessibility* a = access();
        s.invisible = !a || !a->board().isVisible() || a->news().isEmpty();
        return s;
    }
    QRect rect() const override {
        const BoardAccessibility* a = access();
        return a ? QRect(a->board().mapToGlobal(QPoint(0, 0)), a->board().size()) : QRect();
    }

private:
    BoardAccessibility* access() const override {
        return object() ? qobject_cast<BoardAccessibility*>(object()->parent()) : nullptr;
    }
};

// The scoreboard as text: names, scores, whose turn it is or the result, and the time.
class ScoreboardAccessible : public BoardPartAccessible {
public:
    explicit ScoreboardAccessible(BoardAccessibility* access) : BoardPartAccessible(access) {}

    QString text(QAccessible::Text t) const override {
        const BoardAccessibility* a = access();
        if (t == QAccessible::Name) {
            return QStringLiteral("Scoreboard");
        }
        if ((t == QAccessible::Description || t == QAccessible::Value) && a) {
            return a->scoreboard();
        }
        return {};
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        const BoardAccessibility* a = access();
        s.invisible = !a || !a->board().isVisible();
        return s;
    }
    QRect rect() const override {
        const BoardAccessibility* a = access();
        if (!a) {
            return {};
        }
        const BoardView& board = a->board();
        const int top = scoreTop(board.geometry());
        return QRect(board.mapToGlobal(QPoint(0, top)),
                     QSize(board.width(), std::max(board.height() - top, 0)));
    }

private:
    BoardAccessibility* access() const override {
        return static_cast<BoardAccessibility*>(object());
    }
};

QAccessibleInterface* boardInterfaceFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) {
        if (className == QLatin1String(BoardAccessibility::staticMetaObject.className())) {
            return new ScoreboardAccessible(static_cast<BoardAccessibility*>(object));
        }
        if (className == QLatin1String(BoardNews::staticMetaObject.className())) {
            return new NewsAccessible(static_cast<BoardNews*>(object));
        }
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(BoardView::staticMetaObject.className())) {
        return new BoardAccessible(widget);
    }
    // Only a button class of its own reaches this factory before Qt's own takes it as a plain
    // push button; the board's cell buttons are such a class.
    if (qobject_cast<QPushButton*>(widget) && qobject_cast<BoardView*>(widget->parentWidget())) {
        return new CellAccessible(widget);
    }
    return nullptr;
}

} // namespace

BoardAccessibility::BoardAccessibility(BoardView& board, const Game& game, const ImageSet& images,
                                       const GameSettings& settings)
    : QObject(&board), board_(board), game_(game), images_(images), settings_(settings) {
    setObjectName(QStringLiteral("accessibility"));
    newsObject_ = new BoardNews(this);
    connect(qApp, &QApplication::focusChanged, this, [this] { focusNews_.clear(); });
}

void BoardAccessibility::installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(boardInterfaceFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

BoardAccessibility* BoardAccessibility::of(const QObject* board) {
    return board ? board->findChild<BoardAccessibility*>(QString(), Qt::FindDirectChildrenOnly)
                 : nullptr;
}

int BoardAccessibility::cellsInPlay() const {
    return game_.cellsInPlay();
}

int BoardAccessibility::cellOf(const QObject* object) const {
    if (!object) {
        return -1;
    }
    for (int cell = 0; cell < kMaxCells; ++cell) {
        if (board_.cellButton(cell) == object) {
            return cell;
        }
    }
    return -1;
}

QString BoardAccessibility::boardDescription() const {
    return news_.isEmpty() ? kHelp : news_;
}

QString BoardAccessibility::scoreboard() const {
    return QString::fromStdString(scoreboardText(game_.state(), settings_));
}

QString BoardAccessibility::cellName(int cell) const {
    return QString::fromStdString(cellLabel(board_.geometry(), cell));
}

CellFace BoardAccessibility::face(int cell) const {
    return cellFace(game_.state(), cell);
}

QString BoardAccessibility::pictureOf(int cell) const {
    const CSetImage* image = images_.image(game_.state().cellImage[cell]);
    return image ? image->description : QString();
}

QString BoardAccessibility::ownDescription(int cell) const {
    return QString::fromStdString(
        gemino::cellDescription(game_.state(), settings_, cell, pictureOf(cell).toStdString()));
}

QString BoardAccessibility::cellDescription(int cell) const {
    const QString own = ownDescription(cell);
    if (focusNews_.isEmpty() || QApplication::focusWidget() != board_.cellButton(cell)) {
        return own;
    }
    return own + QStringLiteral(". ") + focusNews_;
}

void BoardAccessibility::press(int cell) {
    if ((inputOpen_ && !inputOpen_()) || cell < 0 || cell >= cellsInPlay()) {
        return;
    }
    // The game ignores such a choice; a player who cannot see why is told what the cell shows.
    if (face(cell) != CellFace::Covered) {
        announce(cellName(cell) + QStringLiteral(": ") + ownDescription(cell) +
                 QStringLiteral("."));
        return;
    }
    board_.cellButton(cell)->click();
}

void BoardAccessibility::sendDescriptionChanged(QObject* object) {
    QAccessibleEvent event(object, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void BoardAccessibility::announce(const QString& news) {
    if (news.isEmpty()) {
        return;
    }
    news_ = news;
    focusNews_ = news;
    sendDescriptionChanged(&board_);
    // Shown again with each piece of news: a screen reader speaks a notification as it appears.
    QAccessibleEvent shown(newsObject_, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    QWidget* focus = QApplication::focusWidget();
    const int cell = cellOf(focus);
    if (cell >= 0 && cell < cellsInPlay()) {
        sendDescriptionChanged(focus);
    }
}

void BoardAccessibility::refresh() {
    const int cells = cellsInPlay();
    for (int cell = 0; cell < cells; ++cell) {
        const CellFace now = face(cell);
        const CellFace before = faces_[cell];
        if (now != before) {
            faces_[cell] = now;
            // One event per state: the desktop bridge passes on only the first state of each.
            if ((now == CellFace::Uncovered) != (before == CellFace::Uncovered)) {
                QAccessible::State changed;
                changed.checked = true;
                changed.pressed = true;
                QAccessibleStateChangeEvent event(board_.cellButton(cell), changed);
                QAccessible::updateAccessibility(&event);
            }
            if ((now == CellFace::Removed) != (before == CellFace::Removed)) {
                QAccessible::State changed;
                changed.disabled = true;
                QAccessibleStateChangeEvent event(board_.cellButton(cell), changed);
                QAccessible::updateAccessibility(&event);
            }
        }
        const QString description = ownDescription(cell);
        if (description != descriptions_[cell]) {
            descriptions_[cell] = description;
            sendDescriptionChanged(board_.cellButton(cell));
        }
    }
    const QString score = scoreboard();
    if (score != scoreboard_) {
        scoreboard_ = score;
        sendDescriptionChanged(this);
    }
}

} // namespace gemino

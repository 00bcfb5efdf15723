#include "qt/board/boardview.h"

#include "core/engine/game.h"
#include "core/engine/scoreboard.h"
#include "core/imagesets/standardsets.h"
#include "core/settings/settings.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/setimage.h"
#include "qt/platform/soundoutput.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

namespace gemino {

namespace {

constexpr int kTileSize = 32;
constexpr int kMatcherNameLength = 8;

// "Arial" and "Comic Sans MS" are asked for first; the free faces stand in where they are missing.
const QStringList kTextFamilies = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
const QStringList kScoreFamilies = {QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"),
                                    QStringLiteral("Liberation Sans")};

QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

QFont makeFont(const QStringList& families, int pixels) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

// A covered cell. While its column or row is highlighted it shows its label in red. Its class
// name is how the board's accessibility tells a cell from other buttons.
class CellButton : public QPushButton {
    Q_OBJECT
public:
    CellButton(int cell, QWidget* parent) : QPushButton(parent) {
        setObjectName(QString::number(1000 + cell));
        setAutoDefault(false);
        setFocusPolicy(Qt::StrongFocus);
    }

    void setLabel(const QString& label) {
        label_ = label;
        if (!highlighted_) {
            setText(label_);
        }
    }
    QString label() const { return label_; }

    void setHighlighted(bool highlighted) {
        highlighted_ = highlighted;
        setText(highlighted ? QString() : label_);
    }
    bool highlighted() const { return highlighted_; }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (highlighted_) {
            QPainter painter(this);
            painter.setPen(QColor(255, 0, 0));
            painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, label_);
        }
    }

private:
    QString label_;
    bool highlighted_ = false;
};

BoardView::BoardView(const GameSettings& settings, SoundOutput& sound, QWidget* parent)
    : QWidget(parent), settings_(settings), sound_(sound),
      imageTextFont_(makeFont(kTextFamilies, 10)), scoreFont_(makeFont(kScoreFamilies, 18)),
      bannerFont_(makeFont(kScoreFamilies, 32)), finishedBoardIcon_(std::make_unique<CSetImage>()) {
    setObjectName("board");
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    // Keys reach the board through the same filter whether it or a cell button has the focus.
    installEventFilter(this);
    finishedBoardIcon_->LoadResourceIcon(kFinishedBoardIconId);

    for (int i = 0; i < kMaxCells; ++i) {
        auto* button = new CellButton(i, this);
        button->hide();
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (input_) {
                input_->cellChosen(i);
            }
        });
        buttons_[i] = button;
    }
}

BoardView::~BoardView() = default;

void BoardView::attach(const Game& game, const ImageSet& images, BoardInput& input) {
    game_ = &game;
    images_ = &images;
    input_ = &input;
}

BoardGeometry BoardView::geometry() const {
    return BoardGeometry{settings_.columns, settings_.buttonSize, settings_.buttonSpacing};
}

QPushButton* BoardView::cellButton(int cell) const {
    return cell >= 0 && cell < kMaxCells ? buttons_[cell] : nullptr;
}

void BoardView::LayoutButtons() {
    const BoardGeometry g = geometry();
    for (auto* button : buttons_) {
        button->hide();
    }
    if (!game_) {
        return;
    }
    const GameState& state = game_->state();
    const int n = kRows * g.columns;
    for (int i = 0; i < n; ++i) {
        CellButton* button = buttons_[i];
        button->setLabel(QString::fromStdString(cellLabel(g, i)));
        button->setGeometry(ButtonX(g, i), ButtonY(g, i), g.buttonSize, g.buttonSize);
        // A cell uncovered in the turn under way stays uncovered through a re-layout.
        if (!state.cellMatched[i] && i != state.firstPick && i != state.secondPick) {
            button->show();
        }
    }
}

// --- Presentation ---

void BoardView::setCellButtonVisible(int cell, bool visible) {
    buttons_[cell]->setVisible(visible);
}

void BoardView::invalidateAll() {
    pending_ += rect();
    update();
}

void BoardView::invalidateImage(const CSetImage* image) {
    if (!game_ || !images_) {
        return;
    }
    const GameState& state = game_->state();
    for (int i = 0; i < game_->cellsInPlay(); ++i) {
        if (images_->image(state.cellImage[i]) == image) {
            InvalidateCell(i);
        }
    }
}

void BoardView::InvalidateCell(int cell) {
    for (const Rect& r : cellRepaintRects(geometry(), cell)) {
        pending_ += toQRect(r);
        update(toQRect(r));
    }
}

void BoardView::invalidateScoreBand() {
    const QRect band(0, scoreTop(geometry()), width(), height());
    pending_ += band;
    update(band);
}

void BoardView::updateNow() {
    if (!pending_.isEmpty()) {
        repaint(pending_);
        pending_ = QRegion();
    }
    // Buttons shown or hidden since the last paint repaint themselves and what they uncover.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void BoardView::pause(int ms) {
    const int scaled = static_cast<int>(std::lround(ms * timeScale_));
    if (scaled <= 0) {
        return;
    }
    // Paints and window-manager requests go on; clicks, keys and commands stay queued.
    QEventLoop loop;
    QTimer::singleShot(scaled, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void BoardView::wait(int ms) {
    updateNow();
    emit waiting();
    pause(ms);
}

void BoardView::startClock() {
    stopClock();
    clockTimer_ = startTimer(1000);
}

void BoardView::stopClock() {
    if (clockTimer_ != 0) {
        killTimer(clockTimer_);
        clockTimer_ = 0;
    }
}

void BoardView::playSound(const std::string& path, bool wait) {
    const int length = sound_.play(QString::fromStdString(path));
    if (wait && length > 0) {
        updateNow();
        pause(length);
    }
}

void BoardView::relabelCells(int row, int column) {
    const BoardGeometry g = geometry();
    const int n = kRows * g.columns;
    for (int i = 0; i < n; ++i) {
        const bool red = (row >= 0 && i / g.columns == row) ||
                         (column >= 0 && row < 0 && i % g.columns == column);
        if (buttons_[i]->highlighted() != red) {
            buttons_[i]->setHighlighted(red);
            if (buttons_[i]->isVisible()) {
                buttons_[i]->repaint();
            }
        }
    }
    updateNow();
}

// --- events ---

void BoardView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != clockTimer_ || clockTimer_ == 0) {
        QWidget::timerEvent(event);
        return;
    }
    if (input_) {
        input_->clockTicked();
    }
}

void BoardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The whole board is repainted so the banner stays centred and the tiling complete.
    invalidateAll();
}

bool BoardView::handleKey(QKeyEvent* key, bool apply) {
    const Qt::KeyboardModifiers mods = key->modifiers();
    // Alt and F10 belong to the menu bar, as they never reach a board on other desktops.
    if (mods & (Qt::AltModifier | Qt::MetaModifier) || key->key() == Qt::Key_F10 ||
        key->key() == Qt::Key_Alt) {
        return false;
    }
    KeyPress press;
    press.ctrl = mods & Qt::ControlModifier;
    press.shift = mods & Qt::ShiftModifier;
    const int k = key->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) {
        press.kind = KeyPress::Kind::Letter;
        press.character = static_cast<char>('A' + (k - Qt::Key_A));
    } else if (k >= Qt::Key_0 && k <= Qt::Key_9) {
        press.kind =
            (mods & Qt::KeypadModifier) ? KeyPress::Kind::KeypadDigit : KeyPress::Kind::Digit;
        press.character = static_cast<char>('0' + (k - Qt::Key_0));
    } else if (k == Qt::Key_Escape) {
        press.kind = KeyPress::Kind::Escape;
    } else if (k == Qt::Key_Shift || k == Qt::Key_Control) {
        return true; // a modifier alone changes nothing
    }
    if (!apply) {
        return Game::keyIsForTheBoard(press);
    }
    return input_ && input_->keyPressed(press);
}

bool BoardView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Claiming the key keeps it from the menu's shortcuts.
        if (handleKey(static_cast<QKeyEvent*>(event), false)) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        return handleKey(static_cast<QKeyEvent*>(event), true);
    }
    return QWidget::eventFilter(watched, event);
}

// --- painting ---

void BoardView::paintEvent(QPaintEvent*) {
    if (!game_) {
        return;
    }
    QPainter painter(this);
    PaintBoard(painter);
    if (!game_->state().showingAll) {
        paintScoreboard(painter);
    }
    painter.end();
    if (!painted_) {
        painted_ = true;
        emit firstPainted();
    }
}

void BoardView::DrawCellImage(QPainter& painter, int cell) {
    const BoardGeometry g = geometry();
    const int x = ButtonX(g, cell);
    const int y = ButtonY(g, cell);
    const int s = g.buttonSize;
    const CSetImage* image = images_->image(game_->state().cellImage[cell]);
    if (!image) {
        return;
    }
    if (image->picturePending()) {
        // A quiet stand-in until the picture arrives; the text shows meanwhile.
        painter.fillRect(QRect(x + 2, y + 2, s - 4, s - 4),
                         palette().color(QPalette::Window).darker(106));
    } else {
        image->draw(painter, QRect(x, y, s, s));
    }
    if (settings_.displayImageText && !image->text.isEmpty()) {
        const QFontMetrics metrics(imageTextFont_);
        const Rect r =
            cellTextRect(g, cell, metrics.horizontalAdvance(image->text), metrics.height());
        painter.save();
        painter.setFont(imageTextFont_);
        painter.drawText(toQRect(r),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                         image->text);
        painter.restore();
    }
}

void BoardView::PaintBoard(QPainter& painter) {
    const GameState& s = game_->state();
    const BoardGeometry g = geometry();
    const int n = kRows * g.columns;
    painter.setPen(Qt::black);

    if (s.showingAll) {
        for (int i = 0; i < n; ++i) {
            DrawCellImage(painter, i);
        }
        return;
    }
    if (s.gameOver) {
        for (int ty = 0; ty <= height() / kTileSize; ++ty) {
            for (int tx = 0; tx <= width() / kTileSize; ++tx) {
                finishedBoardIcon_->draw(
                    painter, QRect(tx * kTileSize, ty * kTileSize, kTileSize, kTileSize));
            }
        }
    } else {
        if (s.firstPick >= 0) {
            DrawCellImage(painter, s.firstPick);
        }
        if (s.secondPick >= 0) {
            DrawCellImage(painter, s.secondPick);
        }
    }

    if (s.gameOver || !settings_.highlightMatchedImages) {
        return;
    }
    painter.setFont(imageTextFont_);
    for (int i = 0; i < n; ++i) {
        if (!s.cellMatched[i] || i == s.flashFirst || i == s.flashSecond) {
            continue;
        }
        const int x = ButtonX(g, i);
        const int y = ButtonY(g, i);
        const int size = g.buttonSize;
        painter.drawRect(x, y, size, size);
        if (settings_.displayMatcherName) {
            const std::string& name =
                s.cellMatcher[i] == 0 ? settings_.player1Name : settings_.player2Name;
            const QString shown = QString::fromStdString(name).left(kMatcherNameLength);
            painter.drawText(QRect(x + 1, y + 1, size - 1, size - 1),
                             Qt::AlignCenter | Qt::TextSingleLine, shown);
        }
    }
}

void BoardView::paintScoreboard(QPainter& painter) {
    const QFontMetrics scoreMetrics(scoreFont_);
    const QFontMetrics bannerMetrics(bannerFont_);
    const MeasureText measure = [&](ScoreFont font, const std::string& text) {
        const QFontMetrics& m = font == ScoreFont::Score ? scoreMetrics : bannerMetrics;
        const QString t = QString::fromStdString(text);
        return TextSize{m.horizontalAdvance(t), m.height()};
    };
    const auto texts = layoutScoreboard(game_->state(), settings_, geometry(), width(), measure);
    for (const ScoreText& t : texts) {
        const QRect r = toQRect(t.rect);
        painter.save();
        painter.setClipRect(r);
        painter.setFont(t.font == ScoreFont::Score ? scoreFont_ : bannerFont_);
        if (t.opaque) {
            const QString text = QString::fromStdString(t.text);
            const QFontMetrics& m = t.font == ScoreFont::Score ? scoreMetrics : bannerMetrics;
            // The text's own box is filled, as an opaque text background would be.
            QRect box(r.left(), r.top() + (r.height() - m.height()) / 2, m.horizontalAdvance(text),
                      m.height());
            painter.fillRect(box.intersected(r),
                             QColor(t.background.r, t.background.g, t.background.b));
        }
        painter.setPen(QColor(t.color.r, t.color.g, t.color.b));
        painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromStdString(t.text));
        painter.restore();
    }
}

} // namespace gemino

#include "boardview.moc"

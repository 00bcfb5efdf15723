#include "qt/app/spincontrol.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace gemino {

namespace {

// A held arrow waits this long before it repeats, then repeats at the second pace.
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 50;

} // namespace

SpinControl::SpinControl(QWidget* parent) : QWidget(parent) {
    // Like a desktop up-down control it takes no focus of its own; its buddy keeps the keys.
    setFocusPolicy(Qt::NoFocus);
    repeat_.setSingleShot(false);
    connect(&repeat_, &QTimer::timeout, this, &SpinControl::repeatStep);
}

void SpinControl::setRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void SpinControl::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void SpinControl::setBuddy(QLineEdit* buddy) {
    if (buddy_) {
        buddy_->removeEventFilter(this);
    }
    buddy_ = buddy;
    if (buddy_) {
        buddy_->installEventFilter(this);
    }
}

bool SpinControl::step(int delta) {
    if (!isEnabled()) {
        return false;
    }
    const int proposed = position_ + delta;
    const bool allowed =
        request_ ? request_(position_, delta) : proposed >= minimum_ && proposed <= maximum_;
    if (allowed) {
        position_ = proposed;
    }
    return allowed;
}

QSize SpinControl::sizeHint() const {
    return QSize(16, 22);
}

QRect SpinControl::upRect() const {
    return QRect(0, 0, width(), height() / 2);
}

QRect SpinControl::downRect() const {
    return QRect(0, height() / 2, width(), height() - height() / 2);
}

void SpinControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const struct {
        QRect rect;
        int direction;
        QStyle::PrimitiveElement arrow;
    } halves[] = {{upRect(), +1, QStyle::PE_IndicatorArrowUp},
                  {downRect(), -1, QStyle::PE_IndicatorArrowDown}};
    for (const auto& half : halves) {
        QStyleOptionButton panel;
        panel.initFrom(this);
        panel.rect = half.rect;
        panel.state &= ~QStyle::State_HasFocus;
        panel.state |= held_ == half.direction ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.state &= ~QStyle::State_HasFocus;
        // The arrow sits a pixel lower and to the right while its half is pressed.
        const int shift = held_ == half.direction ? 1 : 0;
        arrow.rect = half.rect.adjusted(2 + shift, 2 + shift, -2 + shift, -2 + shift);
        style()->drawPrimitive(half.arrow, &arrow, &painter, this);
    }
}

void SpinControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    held_ = event->position().y() < height() / 2 ? +1 : -1;
    overHeld_ = true;
    if (buddy_ && buddy_->isEnabled()) {
        // The keys go on where the mouse started, as they do with a desktop up-down control.
        buddy_->setFocus(Qt::MouseFocusReason);
    }
    update();
    step(held_);
    repeat_.start(kRepeatDelayMs);
}

void SpinControl::mouseMoveEvent(QMouseEvent* event) {
    if (held_ != 0) {
        const QRect half = held_ > 0 ? upRect() : downRect();
        overHeld_ = half.contains(event->position().toPoint());
    }
    QWidget::mouseMoveEvent(event);
}

void SpinControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        stopRepeat();
    }
    QWidget::mouseReleaseEvent(event);
}

void SpinControl::repeatStep() {
    if (held_ == 0) {
        stopRepeat();
        return;
    }
    repeat_.setInterval(kRepeatIntervalMs);
    // A held arrow repeats only while the mouse stays over its half.
    if (overHeld_) {
        step(held_);
    }
}

void SpinControl::stopRepeat() {
    repeat_.stop();
    if (held_ != 0) {
        held_ = 0;
        update();
    }
}

void SpinControl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) {
        step(+1);
    } else if (event->key() == Qt::Key_Down) {
        step(-1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

bool SpinControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            step(key->key() == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SpinControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        stopRepeat();
    }
    QWidget::changeEvent(event);
}

} // namespace gemino

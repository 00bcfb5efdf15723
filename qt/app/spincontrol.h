#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

class QLineEdit;

namespace gemino {

// A pair of arrows that moves a position within a range, one step at a time. Every step is
// first offered to the owner as a change request (position, delta); a refused request leaves
// the position, and whatever the owner shows for it, as it was. The up arrow and the Up key
// step by +1, the down arrow and the Down key by -1; holding an arrow repeats the step.
class SpinControl : public QWidget {
    Q_OBJECT
public:
    // Answers whether the step from `position` by `delta` may happen.
    using ChangeRequest = std::function<bool(int position, int delta)>;

    explicit SpinControl(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // A position outside the range is moved to the nearer end of it.
    void setPosition(int position);
    int position() const { return position_; }

    void setChangeRequest(ChangeRequest request) { request_ = std::move(request); }
    // The Up and Down keys pressed in `buddy` step this control, as if pressed on it.
    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return buddy_; }

    // Offers one step; returns whether it was allowed and taken.
    bool step(int delta);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect upRect() const;
    QRect downRect() const;
    void stopRepeat();
    void repeatStep();

    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    ChangeRequest request_;
    QLineEdit* buddy_ = nullptr;
    // The arrow held down: +1 up, -1 down, 0 none.
    int held_ = 0;
    bool overHeld_ = false;
    QTimer repeat_;
};

} // namespace gemino

#pragma once

#include "qt/widgets/dialogunits.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace gemino {

class SpinControl;

// What the three options dialogs share: a fixed size and control positions in dialog units,
// the program's icon, and controls named by their ids.
class OptionsDialog : public QDialog {
    Q_OBJECT
protected:
    // `caption` is shown as given, leading blank included.
    OptionsDialog(int templateId, const QString& caption, int width, int height, QWidget* parent);

    const DialogUnits& units() const { return units_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

    QLabel* addLabel(const QString& text, int x, int y, int width, int height);
    QPushButton* addButton(int id, const QString& text, int x, int y, int width, int height);
    QLineEdit* addEdit(int id, int x, int y, int width, int height);
    // A read-only number field and the spin beside it, the only way to change the number.
    QLineEdit* addNumberField(int id, int x, int y, int width, int height);
    // The spin beside `buddy`, with its range, starting position and the handler that allows
    // or refuses each step.
    struct SpinSetup {
        int lowest;
        int highest;
        int position;
        std::function<bool(int position, int delta)> request;
    };
    SpinControl* addSpin(int id, QLineEdit* buddy, int x, int y, int width, int height,
                         SpinSetup setup);

private:
    DialogUnits units_;
};

} // namespace gemino

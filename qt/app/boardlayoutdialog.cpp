#include "qt/app/boardlayoutdialog.h"

#include "core/settings/settings.h"
#include "qt/app/gamesession.h"
#include "qt/app/spincontrol.h"
#include "qt/platform/waitcursor.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace gemino {

namespace {

struct ColumnButton {
    int x;
    int y;
    int width;
};

// Where radio button k + 1 sits: two columns of five.
constexpr std::array<ColumnButton, 10> kColumnButtons = {{{128, 7, 26},
                                                          {128, 21, 26},
                                                          {128, 35, 26},
                                                          {128, 49, 26},
                                                          {128, 63, 23},
                                                          {165, 7, 23},
                                                          {165, 21, 23},
                                                          {165, 35, 23},
                                                          {165, 49, 23},
                                                          {165, 63, 23}}};

} // namespace

int BoardLayoutDialog::columnButtonId(int columns) {
    if (columns == 1) {
        return 1008;
    }
    return columns <= 8 ? 999 + columns : 1000 + columns;
}

BoardLayoutDialog::BoardLayoutDialog(GameSession& session, QWidget* parent)
    : OptionsDialog(181, QStringLiteral(" Board Layout"), 193, 146, parent), session_(session) {
    const GameSettings& settings = session_.settings();
    chosenColumns_ = settings.columns;
    size_ = settings.buttonSize;
    spacing_ = settings.buttonSpacing;

    addLabel(tr("Number of Columns of Images"), 9, 7, 102, 8);
    // Every cell needs half a pair, so a set of n images fills at most 2n / 4 columns.
    const int maxColumns = 2 * session_.images().imageCount() / kRows;
    for (int k = 1; k <= kMaxColumns; ++k) {
        const ColumnButton& place = kColumnButtons[k - 1];
        auto* radio = new QRadioButton(QString::number(k), this);
        radio->setObjectName(QString::number(columnButtonId(k)));
        units().place(radio, place.x, place.y, place.width, 10);
        radio->setChecked(k == chosenColumns_);
        radio->setEnabled(k <= maxColumns);
        radio->setAccessibleName(k == 1 ? tr("1 column") : tr("%1 columns").arg(k));
        connect(radio, &QRadioButton::clicked, this, [this, k] { onColumnClicked(k); });
        columnButtons_[k - 1] = radio;
    }
    // The group is one stop of the Tab key, at the chosen number; the arrows move within it.
    for (QRadioButton* radio : columnButtons_) {
        radio->setFocusPolicy(radio->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }

    QLabel* sizeLabel = addLabel(tr("Image Size"), 9, 85, 102, 8);
    sizeEdit_ = addNumberField(1011, 127, 82, 40, 14);
    sizeLabel->setBuddy(sizeEdit_);
    sizeSpin_ = addSpin(1012, sizeEdit_, 169, 82, 10, 14,
                        geometrySpin(kSizeRange, size_, &GameSession::setButtonSize));
    sizeSpin_->setAccessibleName(tr("Change the image size"));

    QLabel* spacingLabel = addLabel(tr("Spacing Between Images"), 9, 106, 102, 8);
    spacingEdit_ = addNumberField(1013, 127, 103, 40, 14);
    spacingLabel->setBuddy(spacingEdit_);
    spacingSpin_ = addSpin(1014, spacingEdit_, 169, 103, 10, 14,
                           geometrySpin(kSpacingRange, spacing_, &GameSession::setButtonSpacing));
    spacingSpin_->setAccessibleName(tr("Change the spacing between images"));

    QPushButton* ok = addButton(1, tr("OK"), 11, 125, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(addButton(3, tr("Use Defaults"), 71, 125, 50, 14), &QPushButton::clicked, this,
            &BoardLayoutDialog::onUseDefaults);
    connect(addButton(2, tr("Cancel"), 131, 125, 50, 14), &QPushButton::clicked, this,
            &QDialog::reject);

    transferToControls();
}

void BoardLayoutDialog::transferToControls() {
    sizeEdit_->setText(QString::number(size_));
    spacingEdit_->setText(QString::number(spacing_));
}

void BoardLayoutDialog::onColumnClicked(int columns) {
    chosenColumns_ = columns;
    columnsChanged_ = true;
    sizeChanged_ = true;
}

OptionsDialog::SpinSetup BoardLayoutDialog::geometrySpin(Range range, int& value,
                                                         void (GameSession::*apply)(int)) {
    return {range.lowest, range.highest, value, [this, range, &value, apply](int p, int d) {
                return stepGeometry(range, value, apply, p + d);
            }};
}

// The board follows the spins while the dialog is open; closing it stores what they chose.
bool BoardLayoutDialog::stepGeometry(Range range, int& value, void (GameSession::*apply)(int),
                                     int proposed) {
    if (!range.contains(proposed)) {
        return false;
    }
    value = proposed;
    (session_.*apply)(value);
    transferToControls();
    sizeChanged_ = true;
    return true;
}

void BoardLayoutDialog::onUseDefaults() {
    // Applied and written at once, so they stay even if the dialog is cancelled.
    session_.useDefaultButtonGeometry();
    size_ = session_.settings().buttonSize;
    spacing_ = session_.settings().buttonSpacing;
    sizeSpin_->setPosition(size_);
    spacingSpin_->setPosition(spacing_);
    transferToControls();
}

void applyBoardLayout(GameSession& session, const BoardLayoutDialog& dialog, int result) {
    if (result == QDialog::Accepted && dialog.columnsChanged()) {
        const WaitCursor wait;
        session.setColumns(dialog.chosenColumns());
    }
    // Size and spacing were applied while the dialog was open, so they stand after "Cancel".
    if (dialog.sizeChanged()) {
        session.ReloadBitmaps();
        session.writeButtonGeometry();
    }
}

} // namespace gemino

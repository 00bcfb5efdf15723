#include "qt/app/boardlayoutdialog.h"

#include "core/settings/settings.h"
#include "qt/app/spincontrol.h"
#include "qt/board/boardview.h"
#include "qt/platform/waitcursor.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

BoardLayoutDialog::BoardLayoutDialog(BoardView& board, QWidget* parent)
    : OptionsDialog(181, QStringLiteral(" Board Layout"), 193, 146, parent), board_(board) {
    const GameSettings& settings = board_.settings();
    chosenColumns_ = settings.columns;
    size_ = settings.buttonSize;
    spacing_ = settings.buttonSpacing;

    addLabel(tr("Number of Columns of Images"), 9, 7, 102, 8);
    // Every cell needs half a pair, so a set of n images fills at most 2n / 4 columns.
    const int maxColumns = 2 * board_.images().imageCount() / kRows;
    for (int k = 1; k <= kMaxColumns; ++k) {
        const ColumnButton& place = kColumnButtons[k - 1];
        auto* radio = new QRadioButton(QString::number(k), this);
        radio->setObjectName(QString::number(columnButtonId(k)));
        units().place(radio, place.x, place.y, place.width, 10);
        radio->setChecked(k == chosenColumns_);
        radio->setEnabled(k <= maxColumns);
        connect(radio, &QRadioButton::clicked, this, [this, k] { onColumnClicked(k); });
        columnButtons_[k - 1] = radio;
    }

    addLabel(tr("Image Size"), 9, 85, 102, 8);
    sizeEdit_ = addNumberField(1011, 127, 82, 40, 14);
    sizeSpin_ = addSpin(1012, sizeEdit_, 169, 82, 10, 14,
                        {kMinSize, kMaxSize, size_, [this](int p, int d) {
                             return onGeometryRequest(p + d, kMinSize, kMaxSize, size_,
                                                      board_.settings().buttonSize);
                         }});

    addLabel(tr("Spacing Between Images"), 9, 106, 102, 8);
    spacingEdit_ = addNumberField(1013, 127, 103, 40, 14);
    spacingSpin_ = addSpin(1014, spacingEdit_, 169, 103, 10, 14,
                           {kMinSpacing, kMaxSpacing, spacing_, [this](int p, int d) {
                                return onGeometryRequest(p + d, kMinSpacing, kMaxSpacing, spacing_,
                                                         board_.settings().buttonSpacing);
                            }});

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

void BoardLayoutDialog::relayoutBoard() {
    board_.LayoutButtons();
    board_.update();
}

void BoardLayoutDialog::onColumnClicked(int columns) {
    chosenColumns_ = columns;
    columnsChanged_ = true;
    sizeChanged_ = true;
}

bool BoardLayoutDialog::onGeometryRequest(int proposed, int lowest, int highest, int& value,
                                          int& setting) {
    if (proposed < lowest || proposed > highest) {
        return false;
    }
    value = setting = proposed;
    transferToControls();
    sizeChanged_ = true;
    // The board follows the spins while the dialog is open.
    relayoutBoard();
    return true;
}

void BoardLayoutDialog::onUseDefaults() {
    GameSettings& settings = board_.settings();
    SettingsStore& store = board_.store();
    // Applied and written at once, so they stay even if the dialog is cancelled.
    settings.buttonSize = size_ = defaults::ButtonSize;
    sizeSpin_->setPosition(size_);
    store.WriteInt(key::ButtonSize, size_);
    settings.buttonSpacing = spacing_ = defaults::ButtonSpacing;
    spacingSpin_->setPosition(spacing_);
    store.WriteInt(key::ButtonSpacing, spacing_);
    transferToControls();
    board_.ReloadBitmaps();
    relayoutBoard();
}

void applyBoardLayout(BoardView& board, const BoardLayoutDialog& dialog, int result) {
    GameSettings& settings = board.settings();
    SettingsStore& store = board.store();
    if (result == QDialog::Accepted) {
        const WaitCursor wait;
        if (dialog.columnsChanged()) {
            settings.columns = dialog.chosenColumns();
            store.WriteInt(key::NumberColumns, settings.columns);
            board.LayoutButtons();
            board.update();
            board.newGameCommand();
        }
    }
    // Size and spacing were applied while the dialog was open, so they stand after "Cancel".
    if (dialog.sizeChanged()) {
        board.ReloadBitmaps();
        store.WriteInt(key::ButtonSize, settings.buttonSize);
        store.WriteInt(key::ButtonSpacing, settings.buttonSpacing);
    }
}

} // namespace gemino

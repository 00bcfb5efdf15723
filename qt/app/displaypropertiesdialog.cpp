#include "qt/app/displaypropertiesdialog.h"

#include "core/settings/settings.h"
#include "qt/app/spincontrol.h"
#include "qt/board/boardview.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <type_traits>

namespace gemino {

DisplayPropertiesDialog::DisplayPropertiesDialog(const GameSettings& settings, QWidget* parent)
    : OptionsDialog(183, QStringLiteral(" Display Properties"), 205, 132, parent) {
    highlight_ = settings.highlightMatchedImages ? 1 : 0;
    matcherName_ = settings.displayMatcherName ? 1 : 0;
    imageText_ = settings.displayImageText ? 1 : 0;
    time_ = settings.unmatchedDisplayTime;
    flashes_ = settings.matchFlashes;

    auto addCheckBox = [this](int id, const QString& text, int y) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QString::number(id));
        units().place(box, 9, y, 123, 13);
        // The values follow the boxes at once.
        connect(box, &QCheckBox::clicked, this, &DisplayPropertiesDialog::transferFromControls);
        return box;
    };
    highlightBox_ = addCheckBox(1017, tr("Highlight Matched Images"), 7);
    matcherNameBox_ = addCheckBox(1018, tr("Display Matcher Name"), 24);
    imageTextBox_ = addCheckBox(1019, tr("Display Image Text"), 41);

    addLabel(tr("Unmatched Image Display Time (ms)"), 9, 66, 129, 8);
    timeEdit_ = addNumberField(1015, 141, 63, 40, 14);
    // A stored time off the spin's scale (between two steps, or below 250 ms) is shown as it
    // is until the first step moves it onto the scale.
    timeSpin_ = addSpin(1020, timeEdit_, 183, 63, 10, 14,
                        {kMinTimeSteps, kMaxTimeSteps, time_ / kTimeStepMs,
                         [this](int p, int d) { return onTimeRequest(p, d); }});

    addLabel(tr("# Flashes of Matched Images"), 9, 87, 102, 8);
    flashesEdit_ = addNumberField(1016, 141, 84, 40, 14);
    flashesSpin_ = addSpin(1021, flashesEdit_, 183, 84, 10, 14,
                           {kMinFlashes, kMaxFlashes, flashes_,
                            [this](int p, int d) { return onFlashesRequest(p, d); }});

    QPushButton* ok = addButton(1, tr("OK"), 9, 110, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &DisplayPropertiesDialog::accept);
    connect(addButton(3, tr("Use Defaults"), 76, 110, 50, 14), &QPushButton::clicked, this,
            &DisplayPropertiesDialog::onUseDefaults);
    connect(addButton(2, tr("Cancel"), 143, 110, 50, 14), &QPushButton::clicked, this,
            &QDialog::reject);

    transferToControls();
}

void DisplayPropertiesDialog::transferToControls() {
    highlightBox_->setChecked(highlight_ != 0);
    matcherNameBox_->setChecked(matcherName_ != 0);
    imageTextBox_->setChecked(imageText_ != 0);
    timeEdit_->setText(QString::number(time_));
    flashesEdit_->setText(QString::number(flashes_));
}

void DisplayPropertiesDialog::transferFromControls() {
    highlight_ = highlightBox_->isChecked() ? 1 : 0;
    matcherName_ = matcherNameBox_->isChecked() ? 1 : 0;
    imageText_ = imageTextBox_->isChecked() ? 1 : 0;
    // The number fields are read-only and always hold what the spins put there.
    time_ = timeEdit_->text().toInt();
    flashes_ = flashesEdit_->text().toInt();
}

void DisplayPropertiesDialog::accept() {
    transferFromControls();
    QDialog::accept();
}

bool DisplayPropertiesDialog::onTimeRequest(int position, int delta) {
    const int proposed = position + delta;
    if (proposed < kMinTimeSteps || proposed > kMaxTimeSteps) {
        return false;
    }
    time_ = proposed * kTimeStepMs;
    transferToControls();
    return true;
}

bool DisplayPropertiesDialog::onFlashesRequest(int position, int delta) {
    const int proposed = position + delta;
    if (proposed < kMinFlashes || proposed > kMaxFlashes) {
        return false;
    }
    flashes_ = proposed;
    transferToControls();
    return true;
}

void DisplayPropertiesDialog::onUseDefaults() {
    imageText_ = 1;
    matcherName_ = 1;
    // Unlike a first start, the defaults here leave matched images without their square.
    highlight_ = 0;
    flashes_ = defaults::MatchFlashes;
    time_ = defaults::UnmatchedDisplayTime;
    timeSpin_->setPosition(time_ / kTimeStepMs);
    flashesSpin_->setPosition(flashes_);
    transferToControls();
}

void applyDisplayProperties(BoardView& board, const DisplayPropertiesDialog& dialog, int result) {
    if (result == QDialog::Accepted) {
        GameSettings& settings = board.settings();
        SettingsStore& store = board.store();
        // Only what changed is written, in the order the dialog shows it.
        const auto update = [&store](const char* name, auto& field, auto value) {
            if (field != value) {
                field = value;
                if constexpr (std::is_same_v<decltype(value), bool>) {
                    store.WriteBool(name, value);
                } else {
                    store.WriteInt(name, value);
                }
            }
        };
        update(key::HighlightMatchedImages, settings.highlightMatchedImages, dialog.highlight());
        update(key::DisplayMatcherName, settings.displayMatcherName, dialog.matcherName());
        update(key::DisplayImageText, settings.displayImageText, dialog.imageText());
        update(key::UnmatchedDisplayTime, settings.unmatchedDisplayTime, dialog.unmatchedTime());
        update(key::MatchFlashes, settings.matchFlashes, dialog.flashes());
    }
    // The new time and flash count apply from the next pair; the game goes on.
    board.update();
}

} // namespace gemino

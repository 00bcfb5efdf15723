#include "qt/app/displaypropertiesdialog.h"

#include "core/settings/settings.h"
#include "qt/app/gamesession.h"
#include "qt/app/spincontrol.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace gemino {

DisplayPropertiesDialog::DisplayPropertiesDialog(const GameSettings& settings, QWidget* parent)
    : OptionsDialog(183, QStringLiteral(" Display Properties"), 205, 132, parent) {
    highlight_ = settings.highlightMatchedImages;
    matcherName_ = settings.displayMatcherName;
    imageText_ = settings.displayImageText;
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

    QLabel* timeLabel = addLabel(tr("Unmatched Image Display Time (ms)"), 9, 66, 129, 8);
    timeEdit_ = addNumberField(1015, 141, 63, 40, 14);
    timeLabel->setBuddy(timeEdit_);
    // A stored time off the spin's scale (between two steps, or below 250 ms) is shown as it
    // is until the first step moves it onto the scale.
    timeSpin_ = addSpin(1020, timeEdit_, 183, 63, 10, 14,
                        {kTimeSteps.lowest, kTimeSteps.highest, time_ / kTimeStepMs,
                         [this](int p, int d) { return onTimeRequest(p, d); }});
    timeSpin_->setAccessibleName(tr("Change the unmatched image display time"));

    QLabel* flashesLabel = addLabel(tr("# Flashes of Matched Images"), 9, 87, 102, 8);
    flashesEdit_ = addNumberField(1016, 141, 84, 40, 14);
    flashesLabel->setBuddy(flashesEdit_);
    // "#" is read out badly; the field says it in words.
    flashesEdit_->setAccessibleName(tr("Number of flashes of matched images"));
    flashesSpin_ = addSpin(1021, flashesEdit_, 183, 84, 10, 14,
                           {limits::MatchFlashes.lowest, limits::MatchFlashes.highest, flashes_,
                            [this](int p, int d) { return onFlashesRequest(p, d); }});
    flashesSpin_->setAccessibleName(tr("Change the number of flashes"));

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
    highlightBox_->setChecked(highlight_);
    matcherNameBox_->setChecked(matcherName_);
    imageTextBox_->setChecked(imageText_);
    timeEdit_->setText(QString::number(time_));
    flashesEdit_->setText(QString::number(flashes_));
}

void DisplayPropertiesDialog::transferFromControls() {
    highlight_ = highlightBox_->isChecked();
    matcherName_ = matcherNameBox_->isChecked();
    imageText_ = imageTextBox_->isChecked();
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
    if (!kTimeSteps.contains(proposed)) {
        return false;
    }
    time_ = proposed * kTimeStepMs;
    transferToControls();
    return true;
}

bool DisplayPropertiesDialog::onFlashesRequest(int position, int delta) {
    const int proposed = position + delta;
    if (!limits::MatchFlashes.contains(proposed)) {
        return false;
    }
    flashes_ = proposed;
    transferToControls();
    return true;
}

void DisplayPropertiesDialog::onUseDefaults() {
    imageText_ = true;
    matcherName_ = true;
    // Unlike a first start, the defaults here leave matched images without their square.
    highlight_ = false;
    flashes_ = defaults::MatchFlashes;
    time_ = defaults::UnmatchedDisplayTime;
    timeSpin_->setPosition(time_ / kTimeStepMs);
    flashesSpin_->setPosition(flashes_);
    transferToControls();
}

void applyDisplayProperties(GameSession& session, const DisplayPropertiesDialog& dialog,
                            int result) {
    // The new time and flash count apply from the next pair; the game goes on.
    if (result == QDialog::Accepted) {
        session.setDisplayProperties(dialog.highlight(), dialog.matcherName(), dialog.imageText(),
                                     dialog.unmatchedTime(), dialog.flashes());
    }
}

} // namespace gemino

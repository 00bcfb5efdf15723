#pragma once

#include "core/settings/settings.h"
#include "qt/app/optionsdialog.h"

class QCheckBox;
class QLineEdit;

namespace gemino {

class GameSession;
class SpinControl;
struct GameSettings;

// How matched and unmatched pairs are shown. Works on its own copy of the values; nothing
// reaches the board or the store before "OK".
class DisplayPropertiesDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit DisplayPropertiesDialog(const GameSettings& settings, QWidget* parent = nullptr);

    bool highlight() const { return highlight_; }
    bool matcherName() const { return matcherName_; }
    bool imageText() const { return imageText_; }
    int unmatchedTime() const { return time_; }
    int flashes() const { return flashes_; }

    // The time spin counts tens of milliseconds.
    static constexpr int kTimeStepMs = 10;
    static constexpr Range kTimeSteps{25, 500};

public slots:
    void accept() override;

private:
    bool onTimeRequest(int position, int delta);
    bool onFlashesRequest(int position, int delta);
    void onUseDefaults();
    void transferToControls();
    void transferFromControls();

    bool highlight_ = false;
    bool matcherName_ = false;
    bool imageText_ = false;
    int time_ = 0;
    int flashes_ = 0;
    QCheckBox* highlightBox_ = nullptr;
    QCheckBox* matcherNameBox_ = nullptr;
    QCheckBox* imageTextBox_ = nullptr;
    QLineEdit* timeEdit_ = nullptr;
    QLineEdit* flashesEdit_ = nullptr;
    SpinControl* timeSpin_ = nullptr;
    SpinControl* flashesSpin_ = nullptr;
};

// Carries out the Display Properties command once its dialog has closed with `result`.
void applyDisplayProperties(GameSession& session, const DisplayPropertiesDialog& dialog,
                            int result);

} // namespace gemino

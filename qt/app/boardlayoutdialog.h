#pragma once

#include "core/settings/settings.h"
#include "qt/app/optionsdialog.h"

#include <array>

class QLineEdit;
class QRadioButton;

namespace gemino {

class GameSession;
class SpinControl;

// Number of columns, button size and spacing. The two spins resize the live board while the
// dialog is open; a column choice waits for "OK" and then deals a new game.
class BoardLayoutDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit BoardLayoutDialog(GameSession& session, QWidget* parent = nullptr);

    int chosenColumns() const { return chosenColumns_; }
    bool columnsChanged() const { return columnsChanged_; }
    // Also set by a column click, so that closing writes the size and spacing again.
    bool sizeChanged() const { return sizeChanged_; }
    int size() const { return size_; }
    int spacing() const { return spacing_; }

    // The control id of the radio button for `columns` (1 to 10): "1" is 1008, "2" to "8" are
    // 1001 to 1007, "9" and "10" are 1009 and 1010.
    static int columnButtonId(int columns);

    // The spins' ranges: the spacing may go beyond what a stored value may be.
    static constexpr Range kSizeRange = limits::ButtonSize;
    static constexpr Range kSpacingRange{limits::ButtonSpacing.lowest, 50};

private:
    void onColumnClicked(int columns);
    // A spin over `value` that applies each step to the live board through `apply`.
    SpinSetup geometrySpin(Range range, int& value, void (GameSession::*apply)(int));
    bool stepGeometry(Range range, int& value, void (GameSession::*apply)(int), int proposed);
    void onUseDefaults();
    void transferToControls();

    GameSession& session_;
    int chosenColumns_ = 0;
    bool columnsChanged_ = false;
    bool sizeChanged_ = false;
    int size_ = 0;
    int spacing_ = 0;
    std::array<QRadioButton*, 10> columnButtons_{};
    QLineEdit* sizeEdit_ = nullptr;
    QLineEdit* spacingEdit_ = nullptr;
    SpinControl* sizeSpin_ = nullptr;
    SpinControl* spacingSpin_ = nullptr;
};

// Carries out the Board Layout command once its dialog has closed with `result`.
void applyBoardLayout(GameSession& session, const BoardLayoutDialog& dialog, int result);

} // namespace gemino

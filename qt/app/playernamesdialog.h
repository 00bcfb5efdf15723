#pragma once

#include "qt/app/optionsdialog.h"

#include <QString>

class QLineEdit;

namespace gemino {

class GameSession;
struct GameSettings;

// The two names the scoreboard shows. Any text will do, the empty text included.
class PlayerNamesDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit PlayerNamesDialog(const GameSettings& settings, QWidget* parent = nullptr);

    // The names as confirmed with "OK"; until then the names the dialog opened with.
    QString player1Name() const { return player1Name_; }
    QString player2Name() const { return player2Name_; }

public slots:
    void accept() override;

private:
    QString player1Name_;
    QString player2Name_;
    QLineEdit* player1Edit_ = nullptr;
    QLineEdit* player2Edit_ = nullptr;
};

// Carries out the Player Names command once its dialog has closed with `result`.
void applyPlayerNames(GameSession& session, const PlayerNamesDialog& dialog, int result);

} // namespace gemino

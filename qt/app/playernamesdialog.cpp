#include "qt/app/playernamesdialog.h"

#include "core/settings/settings.h"
#include "qt/app/gamesession.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace gemino {

PlayerNamesDialog::PlayerNamesDialog(const GameSettings& settings, QWidget* parent)
    : OptionsDialog(182, QStringLiteral(" Player Names"), 185, 83, parent),
      player1Name_(QString::fromStdString(settings.player1Name)),
      player2Name_(QString::fromStdString(settings.player2Name)) {
    QLabel* label1 = addLabel(tr("Player 1"), 9, 14, 39, 8);
    player1Edit_ = addEdit(1013, 52, 12, 119, 14);
    label1->setBuddy(player1Edit_);
    QLabel* label2 = addLabel(tr("Player 2"), 9, 37, 39, 8);
    player2Edit_ = addEdit(1014, 52, 35, 119, 14);
    label2->setBuddy(player2Edit_);

    QPushButton* ok = addButton(1, tr("OK"), 27, 62, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &PlayerNamesDialog::accept);
    connect(addButton(2, tr("Cancel"), 106, 62, 50, 14), &QPushButton::clicked, this,
            &QDialog::reject);

    player1Edit_->setText(player1Name_);
    player2Edit_->setText(player2Name_);
}

void PlayerNamesDialog::accept() {
    player1Name_ = player1Edit_->text();
    player2Name_ = player2Edit_->text();
    QDialog::accept();
}

void applyPlayerNames(GameSession& session, const PlayerNamesDialog& dialog, int result) {
    if (result == QDialog::Accepted) {
        session.setPlayerNames(dialog.player1Name().toStdString(),
                               dialog.player2Name().toStdString());
    }
}

} // namespace gemino

#include "qt/app/optionsdialog.h"

#include <utility>

#include "qt/app/spincontrol.h"

#include <QFocusEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace gemino {

OptionsDialog::OptionsDialog(int templateId, const QString& caption, int width, int height,
                             QWidget* parent)
    : QDialog(parent), units_(DialogUnits::dialogFont()) {
    units_.prepareDialog(this, templateId, caption, width, height);
}

QLabel* OptionsDialog::addLabel(const QString& text, int x, int y, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("-1"));
    label->setTextFormat(Qt::PlainText);
    units_.place(label, x, y, width, height);
    return label;
}

QPushButton* OptionsDialog::addButton(int id, const QString& text, int x, int y, int width,
                                      int height) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    units_.place(button, x, y, width, height);
    return button;
}

QLineEdit* OptionsDialog::addEdit(int id, int x, int y, int width, int height) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    units_.place(edit, x, y, width, height);
    edit->installEventFilter(this);
    return edit;
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    // As in any dialog of the desktop, a field that gets the focus as the dialog opens or by the
    // keyboard has its text selected, so typing replaces it; a click places the caret instead.
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit && reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason) {
            edit->selectAll();
        }
    }
    return QDialog::eventFilter(watched, event);
}

QLineEdit* OptionsDialog::addNumberField(int id, int x, int y, int width, int height) {
    QLineEdit* edit = addEdit(id, x, y, width, height);
    edit->setReadOnly(true);
    return edit;
}

SpinControl* OptionsDialog::addSpin(int id, QLineEdit* buddy, int x, int y, int width, int height,
                                    SpinSetup setup) {
    auto* spin = new SpinControl(this);
    spin->setObjectName(QString::number(id));
    spin->setBuddy(buddy);
    units_.place(spin, x, y, width, height);
    spin->setRange(setup.lowest, setup.highest);
    spin->setPosition(setup.position);
    spin->setChangeRequest(std::move(setup.request));
    return spin;
}

} // namespace gemino

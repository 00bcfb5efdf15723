#include "qt/menus/glyphmenu.h"

#include "qt/menus/glyphmenustyle.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

namespace gemino {

namespace {

int commandOf(const QAction* action) {
    bool isNumber = false;
    const int command = action->objectName().toInt(&isNumber);
    return isNumber ? command : 0;
}

} // namespace

GlyphMenu::GlyphMenu(QStatusBar* status, QObject* parent)
    : QObject(parent), style_(new GlyphMenuStyle), status_(status) {
    style_->setParent(this);
}

QString GlyphMenu::toolbarPictureFile(int command) {
    return QStringLiteral(":/toolbar/%1.svg").arg(command);
}

void GlyphMenu::attach(QMenu* menu) {
    if (!menu || menus_.contains(menu)) {
        return;
    }
    menus_.append(menu);
    menu->setStyle(style_);
    // Qt sends no prompt for a greyed item itself, and a closing menu leaves its last one.
    connect(menu, &QMenu::hovered, this, &GlyphMenu::showPrompt);
    connect(menu, &QMenu::aboutToHide, this, [this, menu] { menuClosing(menu); });
    for (const QAction* action : menu->actions()) {
        attach(action->menu());
    }
}

bool GlyphMenu::holdsCommand(int command) const {
    for (const QMenu* menu : menus_) {
        if (!menu) {
            continue;
        }
        for (const QAction* action : menu->actions()) {
            if (!action->menu() && !action->isSeparator() && commandOf(action) == command) {
                return true;
            }
        }
    }
    return false;
}

void GlyphMenu::AttachToolbarPictures(const QToolBar& toolbar) {
    for (const QAction* button : toolbar.actions()) {
        const int command = commandOf(button);
        if (!button->isSeparator() && command != 0 && holdsCommand(command)) {
            style_->pictures().SetCommandPicture(command, toolbarPictureFile(command));
        }
    }
}

void GlyphMenu::showPrompt(const QAction* action) {
    if (status_) {
        status_->showMessage(action->statusTip());
    }
}

void GlyphMenu::menuClosing(const QMenu* menu) {
    // A sub-menu closes when another item of the menu that opened it is highlighted: the prompt
    // is that item's then.
    for (const QMenu* opener : menus_) {
        if (opener && opener != menu && opener->isVisible() &&
            opener->actions().contains(menu->menuAction())) {
            if (const QAction* current = opener->activeAction()) {
                showPrompt(current);
                return;
            }
        }
    }
    if (status_) {
        status_->clearMessage();
    }
}

} // namespace gemino

#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QStatusBar;
class QToolBar;

namespace gemino {

class GlyphMenuStyle;

// Puts menus into the glyph look: their items drawn with the toolbar pictures of their commands,
// and the prompt of every highlighted item, greyed or not, in a status bar.
class GlyphMenu : public QObject {
    Q_OBJECT
public:
    explicit GlyphMenu(QStatusBar* status = nullptr, QObject* parent = nullptr);

    // `menu` and its sub-menus take the look.
    void attach(QMenu* menu);
    // Each item whose command the toolbar carries gets the toolbar's picture of that command.
    void AttachToolbarPictures(const QToolBar& toolbar);

    GlyphMenuStyle* style() const { return style_; }
    // The artwork of a toolbar command's picture.
    static QString toolbarPictureFile(int command);

private:
    bool holdsCommand(int command) const;
    void showPrompt(const QAction* action);
    void menuClosing(const QMenu* menu);

    GlyphMenuStyle* style_ = nullptr;
    QPointer<QStatusBar> status_;
    QList<QPointer<QMenu>> menus_;
};

} // namespace gemino

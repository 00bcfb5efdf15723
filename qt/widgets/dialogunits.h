#pragma once

#include <QFont>
#include <QRect>

class QDialog;
class QString;
class QWidget;

namespace gemino {

// Dialog layouts are given in dialog units: a quarter of the dialog font's average character
// width across, an eighth of its height down. Every dialog converts through this one helper.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int width, int height) const;
    // Moves and sizes `widget` to a rectangle given in dialog units.
    void place(QWidget* widget, int x, int y, int width, int height) const;
    // Makes `dialog` a modal dialog of width x height units in the dialog font, named by its
    // template id, captioned as given (leading blank included), with the program's icon and
    // a fixed size.
    void prepareDialog(QDialog* dialog, int templateId, const QString& caption, int width,
                       int height) const;

    // The font dialogs are laid out in: 8 points of a plain sans-serif face.
    static QFont dialogFont();

private:
    int baseX_ = 0;
    int baseY_ = 0;
};

} // namespace gemino

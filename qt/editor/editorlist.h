#pragma once

#include <QListWidget>

namespace gemino {

// One of the editor's two lists: pictures of 40 x 40 pixels without labels on a 60 x 60 grid,
// arranged anew whenever the list changes.
class EditorList : public QListWidget {
    Q_OBJECT
public:
    explicit EditorList(QAbstractItemView::SelectionMode mode, QWidget* parent = nullptr);

signals:
    // The user clicked an item, or outside every item (-1), or moved the current item with the
    // keyboard. Changes made by the program are not picks.
    void itemPicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace gemino

#include "qt/editor/editorlist.h"

#include "qt/platform/picturefile.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSize>

namespace gemino {

namespace {

constexpr int kGridSide = 60;

} // namespace

EditorList::EditorList(QAbstractItemView::SelectionMode mode, QWidget* parent)
    : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    setIconSize(QSize(kEditorImageSide, kEditorImageSide));
    setGridSize(QSize(kGridSide, kGridSide));
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setUniformItemSizes(true);
    setSelectionMode(mode);
}

void EditorList::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit itemPicked(indexAt(event->position().toPoint()).row());
    }
}

void EditorList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before) {
        emit itemPicked(currentRow());
    }
}

} // namespace gemino

#include "qt/menus/glyphmenustyle.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace gemino {

namespace {

// How far the colours are tinted: the highlight toward white for a highlighted item, and more
// for a checked item's picture cell (less while that item is highlighted); the window colour
// toward black for the menu area; the face colour toward white for the classic checked cell.
constexpr double kSelectionFill = 0.7;
constexpr double kCheckedCell = 0.85;
constexpr double kCheckedCellSelected = 0.55;
constexpr double kMenuArea = 0.02;
constexpr double kClassicCheckedCell = 0.6;

QStyle* baseStyleLikeTheApplications() {
    const QString name = QApplication::style() ? QApplication::style()->name() : QString();
    QStyle* base = name.isEmpty() ? nullptr : QStyleFactory::create(name);
    return base ? base : QStyleFactory::create(QStringLiteral("Fusion"));
}

void fill(QPainter* p, const QRect& r, QRgb colour) {
    p->fillRect(r, QColor::fromRgb(colour));
}

// A one-pixel frame just inside `r`.
void frame(QPainter* p, const QRect& r, QRgb topLeft, QRgb bottomRight) {
    fill(p, QRect(r.left(), r.top(), r.width(), 1), topLeft);
    fill(p, QRect(r.left(), r.top(), 1, r.height()), topLeft);
    fill(p, QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    fill(p, QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

void frame(QPainter* p, const QRect& r, QRgb colour) {
    frame(p, r, colour, colour);
}

// A sunken line and a raised one below it, from `left` up to but not including `right`.
void etchedLine(QPainter* p, int left, int right, int y, const MenuColours& c) {
    fill(p, QRect(left, y, right - left, 1), c.shadow);
    fill(p, QRect(left, y + 1, right - left, 1), c.hilight);
}

// Seven one-pixel columns, each two pixels tall: a tick.
void checkGlyph(QPainter* p, QPoint at, QRgb colour) {
    static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) {
        fill(p, QRect(at.x() + i, at.y() + kTop[i], 1, 2), colour);
    }
}

void bullet(QPainter* p, QPoint at, QRgb colour) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(QColor::fromRgb(colour));
    p->drawEllipse(QRectF(at, QSizeF(6, 6)));
    p->restore();
}

// The check mark of an item without a picture, or a radio item's bullet, centred in `cell`.
void checkMark(QPainter* p, const QStyleOptionMenuItem& item, const QRect& cell, QRgb colour) {
    const QPoint at(cell.left() + std::max(cell.width() / 2 - 3, 0),
                    cell.top() + std::max(cell.height() / 2 - 3, 0));
    if (item.checkType == QStyleOptionMenuItem::Exclusive) {
        bullet(p, at, colour);
    } else {
        checkGlyph(p, at, colour);
    }
}

// A solid triangle pointing right, 4 by 7, in the space kept clear right of the accelerators;
// filled at the screen's own resolution, so that it stays sharp on a dense one.
void submenuArrow(QPainter* p, const QRect& item, QRgb colour) {
    const QPointF at(item.right() + 1 - GlyphMenuStyle::kAcceleratorRight + 5,
                     item.top() + (item.height() - 7) / 2);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(Qt::NoPen);
    p->setBrush(QColor::fromRgb(colour));
    p->drawPolygon(QPolygonF({at, at + QPointF(4, 3.5), at + QPointF(0, 7)}));
    p->restore();
}

bool isChecked(const QStyleOptionMenuItem& item) {
    return item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
}

// The label left in the text area, the accelerator (after the last tab) right-aligned in a column
// that ends kAcceleratorRight before the item's right edge; both on one line, centred vertically.
void itemTexts(QPainter* p, const QStyleOptionMenuItem& item, QRgb colour, QPoint offset = {}) {
    QString label = item.text;
    QString accelerator;
    if (const qsizetype tab = label.indexOf(u'\t'); tab >= 0) {
        accelerator = label.mid(label.lastIndexOf(u'\t') + 1);
        label.truncate(tab);
    }
    const QRect& r = item.rect;
    const QRect area(r.left() + GlyphMenuStyle::kTextLeft, r.top(),
                     r.width() - GlyphMenuStyle::kTextLeft - GlyphMenuStyle::kAcceleratorRight,
                     r.height());
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    p->setFont(item.font);
    p->setPen(QColor::fromRgb(colour));
    p->drawText(area.translated(offset), flags | Qt::AlignLeft | Qt::TextShowMnemonic, label);
    if (!accelerator.isEmpty()) {
        p->drawText(area.translated(offset), flags | Qt::AlignRight, accelerator);
    }
}

} // namespace

GlyphMenuStyle::GlyphMenuStyle() : QProxyStyle(baseStyleLikeTheApplications()) {}

bool GlyphMenuStyle::classic(const QPainter* painter, const QWidget* widget) const {
    switch (look_) {
    case Look::Flat:
        return false;
    case Look::Classic:
        return true;
    case Look::Automatic:
        break;
    }
    // A palette display: 256 colours or fewer.
    const QPaintDevice* device =
        widget ? static_cast<const QPaintDevice*>(widget) : painter->device();
    return device && device->depth() <= 8;
}

int GlyphMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    switch (metric) {
    // A one-pixel frame, and a pixel of the menu's colours between it and the items.
    case PM_MenuPanelWidth:
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 1;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int GlyphMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_Menu_AllowActiveAndDisabled:
        // A greyed item can be highlighted too, so that its prompt shows.
        return 1;
    case SH_Menu_KeyboardSearch:
        // Letters choose items by their underlined letter only.
        return 0;
    case SH_Menu_MouseTracking:
        return 1;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

int GlyphMenuStyle::itemHeight(const QStyleOption* option) const {
    // At least the height of a one-line menu bar in the same font.
    QStyleOptionMenuItem bar;
    bar.QStyleOption::operator=(*option);
    bar.menuItemType = QStyleOptionMenuItem::Normal;
    const QSize line = baseStyle()->sizeFromContents(
        CT_MenuBarItem, &bar, QSize(1, option->fontMetrics.height()), nullptr);
    const int frame = baseStyle()->pixelMetric(PM_MenuBarPanelWidth, option, nullptr) +
                      baseStyle()->pixelMetric(PM_MenuBarVMargin, option, nullptr);
    return std::max(line.height() + 2 * frame, kMinItemHeight);
}

QSize GlyphMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                       const QSize& size, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item) {
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        return QSize(std::max(size.width(), 1), kSeparatorHeight);
    }
    // `size` is the label's width; the menu adds its widest accelerator to every item. A label
    // followed by an accelerator keeps a tab's width before the accelerator column.
    int width = size.width() + kTextLeft + kAcceleratorRight;
    if (item->text.contains(u'\t')) {
        width += kTab;
    }
    return QSize(width, itemHeight(option));
}

const MenuPicture* GlyphMenuStyle::pictureOf(const QStyleOptionMenuItem& item,
                                             const QPainter* painter, const QWidget* widget) const {
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const QAction* action = menu ? menu->actionAt(item.rect.center()) : nullptr;
    if (!action || action->menu()) {
        return nullptr;
    }
    bool isNumber = false;
    const int command = action->objectName().toInt(&isNumber);
    if (!isNumber) {
        return nullptr;
    }
    return pictures_.find(command, painter->device()->devicePixelRatio(),
                          MenuColours::fromPalette(item.palette));
}

void GlyphMenuStyle::drawMenuArea(const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    const MenuColours c = MenuColours::fromPalette(option->palette);
    if (classic(painter, widget)) {
        fill(painter, option->rect, c.face);
        return;
    }
    fill(painter, option->rect, TintTowardBlack(c.window, kMenuArea));
    // The picture column runs on through the menu's margins.
    const int left = option->rect.left() + pixelMetric(PM_MenuPanelWidth, option, widget);
    const int width = pixelMetric(PM_MenuHMargin, option, widget) + kColumn;
    fill(painter, QRect(left, option->rect.top(), width, option->rect.height()), c.face);
}

void GlyphMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (element == PE_PanelMenu) {
        drawMenuArea(option, painter, widget);
    } else if (element == PE_FrameMenu && !classic(painter, widget)) {
        frame(painter, option->rect, MenuColours::fromPalette(option->palette).shadow);
    } else {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void GlyphMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuEmptyArea) {
        drawMenuArea(option, painter, widget);
    } else if (element == CE_MenuItem && item) {
        painter->save();
        if (classic(painter, widget)) {
            drawClassicItem(*item, painter, widget);
        } else {
            drawFlatItem(*item, painter, widget);
        }
        painter->restore();
    } else {
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void GlyphMenuStyle::drawFlatItem(const QStyleOptionMenuItem& item, QPainter* p,
                                  const QWidget* widget) const {
    const MenuColours c = MenuColours::fromPalette(item.palette);
    const QRect& r = item.rect;
    const QRgb area = TintTowardBlack(c.window, kMenuArea);
    const QRect column(r.left(), r.top(), kColumn, r.height());

    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        fill(p, r, area);
        fill(p, column, c.face);
        etchedLine(p, r.left() + kColumn, r.right() + 1, r.top() + r.height() / 2, c);
        return;
    }

    // A greyed item is drawn as not highlighted, even under the mouse.
    const bool enabled = item.state & State_Enabled;
    const bool selected = enabled && (item.state & State_Selected);
    if (selected) {
        fill(p, r, TintTowardWhite(c.highlight, kSelectionFill));
        frame(p, r, c.highlight);
    } else {
        fill(p, r, area);
        fill(p, column, c.face);
    }

    const QRect cell(r.left() + 1, r.top() + 1, kColumn - 3, r.height() - 2);
    const QPoint at =
        r.topLeft() + QPoint(std::max((kColumn - MenuPictures::kWidth + 1) / 2, 0),
                             std::max((r.height() - MenuPictures::kHeight + 1) / 2, 0));
    const QPoint lifted = at - QPoint(1, 1);
    const bool checked = isChecked(item);
    // A checked item's cell is tinted and framed; greyed, in grey, so that the check still shows.
    const auto checkedCell = [&] {
        if (enabled) {
            fill(p, cell,
                 TintTowardWhite(c.highlight, selected ? kCheckedCellSelected : kCheckedCell));
            frame(p, cell, c.highlight);
        } else {
            fill(p, cell, TintTowardWhite(c.grayText, kCheckedCell));
            frame(p, cell, c.grayText);
        }
    };

    if (const MenuPicture* picture = pictureOf(item, p, widget)) {
        if (checked) {
            checkedCell();
            p->drawImage(lifted, enabled ? picture->picture : picture->disabled);
        } else if (!enabled) {
            p->drawImage(at, picture->disabled);
        } else if (selected) {
            p->drawImage(at + QPoint(1, 1), picture->shadow);
            p->drawImage(lifted, picture->picture);
        } else {
            p->drawImage(at, picture->faded);
        }
    } else if (checked) {
        checkedCell();
        checkMark(p, item, cell, enabled ? c.menuText : c.grayText);
    }

    const QRgb text = enabled ? c.menuText : c.grayText;
    itemTexts(p, item, text);
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
        submenuArrow(p, r, text);
    }
}

void GlyphMenuStyle::drawClassicItem(const QStyleOptionMenuItem& item, QPainter* p,
                                     const QWidget* widget) const {
    const MenuColours c = MenuColours::fromPalette(item.palette);
    const QRect& r = item.rect;
    const QRgb background = c.face;

    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        fill(p, r, background);
        etchedLine(p, r.left(), r.right() + 1, r.top() + r.height() / 2, c);
        return;
    }

    // Greyed items are highlighted under the mouse in this look.
    const bool enabled = item.state & State_Enabled;
    const bool selected = item.state & State_Selected;
    const bool checked = isChecked(item);
    const MenuPicture* picture = pictureOf(item, p, widget);

    fill(p, r, background);
    if (selected) {
        const int left = picture || checked ? r.left() + MenuPictures::kWidth + 5 : r.left();
        fill(p, QRect(left, r.top(), r.right() + 1 - left, r.height()), c.highlight);
    }

    const int d = std::max((r.height() - MenuPictures::kHeight - 4) / 2, 0);
    const QRect cell(r.left() + 1, r.top() + d + 1, MenuPictures::kWidth + 2,
                     MenuPictures::kHeight + 2);
    if (picture) {
        if (checked) {
            if (!selected) {
                fill(p, cell, TintTowardWhite(background, kClassicCheckedCell));
            }
            frame(p, cell, c.shadow, c.hilight);
        } else if (selected) {
            frame(p, cell, c.hilight, c.shadow);
        }
        const QPoint at = cell.topLeft() + QPoint(1, 1);
        p->drawImage(at, enabled ? picture->picture : picture->greyed);
    } else if (checked) {
        checkMark(p, item, cell, enabled ? c.menuText : c.grayText);
    }

    if (selected) {
        itemTexts(p, item, c.highlightText);
    } else if (enabled) {
        itemTexts(p, item, c.menuText);
    } else {
        itemTexts(p, item, c.hilight, QPoint(1, 1));
        itemTexts(p, item, c.grayText);
    }
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
        submenuArrow(p, r, selected ? c.highlightText : enabled ? c.menuText : c.grayText);
    }
}

} // namespace gemino

#pragma once

#include "qt/menus/menupictures.h"

#include <QProxyStyle>

class QStyleOptionMenuItem;

namespace gemino {

// The look of the game's menus: each item beside the toolbar picture of its command, in a flat
// look (a light picture column, a tinted and framed selection, faded pictures that lift with a
// shadow when highlighted) or, on a palette display, a classic raised look with the same sizes.
// Set on each of the game's menus; an item's command is its action's object name.
class GlyphMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    enum class Look { Automatic, Flat, Classic };

    // Item geometry, in device-independent pixels.
    static constexpr int kGap = 7; // around a picture, vertically and horizontally
    static constexpr int kColumn = MenuPictures::kWidth + kGap; // the picture column
    static constexpr int kTextLeft = kColumn + 8;
    static constexpr int kAcceleratorRight = 16; // kept clear right of the accelerators
    static constexpr int kTab = 16;              // at least, between a label and its accelerator
    static constexpr int kMinItemHeight = MenuPictures::kHeight + kGap;
    static constexpr int kSeparatorHeight = 3;

    // Draws over a style of the application style's kind.
    GlyphMenuStyle();

    MenuPictures& pictures() { return pictures_; }
    // Automatic: the classic look on displays of 8 bits per pixel or fewer, the flat look
    // elsewhere.
    void setLook(Look look) { look_ = look; }
    Look look() const { return look_; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    bool classic(const QPainter* painter, const QWidget* widget) const;
    int itemHeight(const QStyleOption* option) const;
    const MenuPicture* pictureOf(const QStyleOptionMenuItem& item, const QPainter* painter,
                                 const QWidget* widget) const;
    void drawMenuArea(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawFlatItem(const QStyleOptionMenuItem& item, QPainter* painter,
                      const QWidget* widget) const;
    void drawClassicItem(const QStyleOptionMenuItem& item, QPainter* painter,
                         const QWidget* widget) const;

    mutable MenuPictures pictures_; // drawn when first needed at a resolution
    Look look_ = Look::Automatic;
};

} // namespace gemino

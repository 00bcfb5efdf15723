#pragma once

#include "qt/menus/menucolours.h"

#include <QImage>
#include <QString>

#include <list>
#include <map>

namespace gemino {

// A command's menu picture at one resolution and the pictures made from it. Each is drawn at its
// item's position as it is: the face-coloured background of the artwork is transparent.
struct MenuPicture {
    QImage picture;
    QImage faded;    // an item that is not highlighted
    QImage shadow;   // cast by a highlighted item's lifted picture
    QImage disabled; // a greyed item
    QImage greyed;   // the classic look's embossed rendering, one pixel wider and taller
};

// The shared list of menu pictures: one per command, the toolbar picture of that command, drawn
// from its SVG artwork once for each screen resolution and derived once pixel by pixel.
class MenuPictures {
public:
    static constexpr int kWidth = 16;
    static constexpr int kHeight = 15;

    // Gives `command` the picture drawn from `svgFile`, replacing any picture it had.
    void SetCommandPicture(int command, const QString& svgFile);
    // The command's pictures at `devicePixelRatio` in these colours; null when the command has
    // no picture or its file cannot be drawn.
    const MenuPicture* find(int command, qreal devicePixelRatio, const MenuColours& colours);

    // The artwork drawn over the 3D face colour at the given resolution; a null image when the
    // file cannot be drawn.
    static QImage renderOverFace(const QString& svgFile, qreal devicePixelRatio, QRgb face);
    // The four pictures of artwork drawn over the face colour. Pixels of the face colour are the
    // background: transparent in every picture.
    static MenuPicture derive(const QImage& overFace, const MenuColours& colours);

private:
    struct Rendering {
        qreal devicePixelRatio = 1;
        QRgb face = 0;
        QRgb shadow = 0;
        QRgb hilight = 0;
        MenuPicture pictures;
        bool drawn = false;
    };
    std::map<int, QString> files_;
    // Stable addresses: callers keep the pointers find() returns while they draw.
    std::map<int, std::list<Rendering>> renderings_;
};

} // namespace gemino

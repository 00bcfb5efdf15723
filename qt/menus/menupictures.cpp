#include "qt/menus/menupictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace gemino {

namespace {

QSize deviceSize(qreal devicePixelRatio) {
    return QSize(qRound(MenuPictures::kWidth * devicePixelRatio),
                 qRound(MenuPictures::kHeight * devicePixelRatio));
}

// Every non-background pixel of `overFace` recoloured by `rule`; the background transparent.
template <typename Rule> QImage recolour(const QImage& overFace, QRgb face, Rule rule) {
    QImage out(overFace.size(), QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(overFace.devicePixelRatio());
    for (int y = 0; y < overFace.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(overFace.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < overFace.width(); ++x) {
            const QRgb pixel = in[x] | 0xff000000u;
            line[x] = pixel == (face | 0xff000000u) ? 0u : (rule(pixel) | 0xff000000u);
        }
    }
    return out;
}

} // namespace

void MenuPictures::SetCommandPicture(int command, const QString& svgFile) {
    files_[command] = svgFile;
    renderings_.erase(command);
}

QImage MenuPictures::renderOverFace(const QString& svgFile, qreal devicePixelRatio, QRgb face) {
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(deviceSize(devicePixelRatio), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgb(face));
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

MenuPicture MenuPictures::derive(const QImage& overFace, const MenuColours& colours) {
    const QRgb face = colours.face;
    MenuPicture p;
    p.picture = recolour(overFace, face, [](QRgb pixel) { return pixel; });
    p.faded = recolour(overFace, face, fadedPixel);
    p.shadow = recolour(overFace, face, [&colours](QRgb) { return colours.shadow; });
    p.disabled = recolour(overFace, face,
                          [&colours](QRgb pixel) { return disabledPixel(pixel, colours.shadow); });

    // Embossed: what is neither face nor highlight shows in the highlight colour one pixel down
    // and right, and in the shadow colour in its place on top.
    const qreal ratio = overFace.devicePixelRatio();
    const int offset = std::max(1, qRound(ratio));
    p.greyed = QImage(overFace.size() + QSize(offset, offset), QImage::Format_ARGB32_Premultiplied);
    p.greyed.fill(Qt::transparent);
    for (const auto& [shift, colour] : {std::pair{offset, colours.hilight}, {0, colours.shadow}}) {
        for (int y = 0; y < overFace.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(overFace.constScanLine(y));
            auto* line = reinterpret_cast<QRgb*>(p.greyed.scanLine(y + shift));
            for (int x = 0; x < overFace.width(); ++x) {
                const QRgb pixel = in[x] | 0xff000000u;
                if (pixel != (face | 0xff000000u) && pixel != (colours.hilight | 0xff000000u)) {
                    line[x + shift] = colour | 0xff000000u;
                }
            }
        }
    }
    p.greyed.setDevicePixelRatio(ratio);
    return p;
}

const MenuPicture* MenuPictures::find(int command, qreal devicePixelRatio,
                                      const MenuColours& colours) {
    const auto file = files_.find(command);
    if (file == files_.end()) {
        return nullptr;
    }
    std::list<Rendering>& renderings = renderings_[command];
    for (const Rendering& r : renderings) {
        if (r.devicePixelRatio == devicePixelRatio && r.face == colours.face &&
            r.shadow == colours.shadow && r.hilight == colours.hilight) {
            return r.drawn ? &r.pictures : nullptr;
        }
    }
    Rendering& r = renderings.emplace_back();
    r.devicePixelRatio = devicePixelRatio;
    r.face = colours.face;
    r.shadow = colours.shadow;
    r.hilight = colours.hilight;
    const QImage overFace = renderOverFace(file->second, devicePixelRatio, colours.face);
    if (!overFace.isNull()) {
        r.pictures = derive(overFace, colours);
        r.drawn = true;
    }
    return r.drawn ? &r.pictures : nullptr;
}

} // namespace gemino

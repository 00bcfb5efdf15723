// Renders SVG files to PNG the way the game draws them, for looking at artwork.
// Usage: svgrender SIZE OUT.png IN.svg [IN.svg...]   (several inputs are laid side by side)
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: svgrender SIZE OUT.png IN.svg...\n");
        return 2;
    }
    const int size = QString(argv[1]).toInt();
    const int count = argc - 3;
    QImage sheet(count * (size + 4), size, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    for (int i = 0; i < count; ++i) {
        QSvgRenderer renderer(QString::fromLocal8Bit(argv[3 + i]));
        if (!renderer.isValid()) {
            std::fprintf(stderr, "invalid SVG: %s\n", argv[3 + i]);
            return 1;
        }
        renderer.render(&painter, QRectF(i * (size + 4), 0, size, size));
    }
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}

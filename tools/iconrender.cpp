// Renders the program icon into a freedesktop.org icon theme folder at build time: one PNG
// with a transparent background per size, drawn from our SVG with Qt's renderer.
// Usage: iconrender IN.svg THEME_DIR NAME SIZE [SIZE...]
//        writes THEME_DIR/<SIZE>x<SIZE>/apps/NAME.png for each size
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    // A build machine has no display; the renderer needs none.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: iconrender IN.svg THEME_DIR NAME SIZE [SIZE...]\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "iconrender: invalid SVG: %s\n", argv[1]);
        return 1;
    }
    const QDir theme(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "iconrender: bad size: %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString out = theme.filePath(folder + QLatin1Char('/') + name + ".png");
        QSaveFile file(out);
        if (!theme.mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
            !image.save(&file, "PNG") || !file.commit()) {
            std::fprintf(stderr, "iconrender: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}

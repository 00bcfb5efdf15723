// iconbench [--dump DIR] FILE...
//   Reads every icon group of each file and decodes all of its images, printing
//   "<count><TAB><path>" per file; with --dump it saves, for every group, the picture a
//   32 x 32 cell draws as DIR/<file name>-<index>.png. The last line gives the number of
//   groups decoded and the milliseconds spent.
// iconbench --qt FILE.ico...
//   The yardstick: decodes every image of each .ico file with Qt's ICO reader alone.
#include "core/iconfile/iconfile.h"
#include "qt/platform/icondecode.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QSize>
#include <QStringList>

#include <cstdio>

namespace {

int decodeWithQt(const QString& path) {
    QImageReader reader(path, "ico");
    const int images = reader.imageCount();
    int decoded = 0;
    for (int i = 0; i < images; ++i) {
        if (reader.jumpToImage(i) && !reader.read().isNull()) {
            ++decoded;
        }
    }
    return decoded > 0 ? 1 : 0;
}

int decodeFile(const QString& path, const QString& dumpDir, long long& groups) {
    auto file = gemino::iconfile::IconFile::open(path.toStdString());
    const int count = file.iconCount();
    for (int i = 0; i < count; ++i) {
        const auto ico = file.groupAsIco(i);
        if (!ico) {
            continue;
        }
        const auto images = gemino::decodeIcoImages(*ico);
        if (images.empty()) {
            continue;
        }
        ++groups;
        if (!dumpDir.isEmpty()) {
            const QString name = QStringLiteral("%1-%2.png").arg(QFileInfo(path).fileName()).arg(i);
            gemino::iconCellImage(images, QSize(32, 32)).save(QDir(dumpDir).filePath(name));
        }
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString dumpDir;
    bool qtOnly = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--dump") && !args.isEmpty()) {
            dumpDir = args.takeFirst();
        } else if (option == QLatin1String("--qt")) {
            qtOnly = true;
        } else {
            args.clear();
        }
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: iconbench [--dump DIR] FILE...\n"
                             "       iconbench --qt FILE.ico...\n");
        return 2;
    }
    if (!dumpDir.isEmpty() && !QDir().mkpath(dumpDir)) {
        std::fprintf(stderr, "iconbench: cannot create %s\n", qPrintable(dumpDir));
        return 1;
    }
    long long groups = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : args) {
        const int count = qtOnly ? decodeWithQt(path) : decodeFile(path, dumpDir, groups);
        if (qtOnly) {
            groups += count;
        }
        std::printf("%d\t%s\n", count, qPrintable(path));
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("%lld icon groups decoded in %.1f ms\n", groups, ms);
    return 0;
}

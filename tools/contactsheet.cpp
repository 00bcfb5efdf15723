// Lays every built-in picture out on one sheet so the whole family can be judged at a glance:
// the four standard sets row by row in set order, then the toolbar pictures and the program
// icon. Each cell is labelled with its set, its position and its resource number; a picture
// that is missing or does not parse shows as a red cross, so gaps stand out.
// Usage: contactsheet OUT32.png OUT128.png
#include "core/imagesets/standardsets.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

namespace gemino {
namespace {

// The toolbar left to right, separators left out.
constexpr std::array<int, 16> kToolbarCommands = {32773, 32795, 32777, 32778, 32779, 32789,
                                                  32796, 32782, 32781, 32771, 32772, 32791,
                                                  32774, 32787, 32794, 32790};

struct Cell {
    QString path;
    QStringList label;
    bool toolbar = false; // toolbar pictures keep their 16:15 shape
};

struct Row {
    QString title;
    std::vector<Cell> cells;
};

std::vector<Row> collectRows() {
    std::vector<Row> rows;
    const std::array<std::pair<const char*, const std::array<int, 20>*>, 4> sets = {{
        {"misc", &MISC_ICON_IDS},
        {"traffic", &TRAFFIC_ICON_IDS},
        {"computer", &COMPUTER_ICON_IDS},
        {"flags", &FLAG_ICON_IDS},
    }};
    for (const auto& [name, ids] : sets) {
        Row row{QString::fromLatin1(name), {}};
        const auto* texts = standardSetTexts(name);
        for (std::size_t i = 0; i < ids->size(); ++i) {
            const int id = (*ids)[i];
            Cell cell{QString::fromStdString(resourceIconPath(id)),
                      {QStringLiteral("%1 %2").arg(QString::fromLatin1(name)).arg(i + 1),
                       QStringLiteral("#%1").arg(id)}};
            if (texts != nullptr) {
                cell.label << QString::fromUtf8((*texts)[i]);
            }
            row.cells.push_back(cell);
        }
        rows.push_back(row);
    }
    Row toolbar{QStringLiteral("toolbar"), {}};
    for (std::size_t i = 0; i < kToolbarCommands.size(); ++i) {
        const int command = kToolbarCommands[i];
        toolbar.cells.push_back(
            {QStringLiteral(":/toolbar/%1.svg").arg(command),
             {QStringLiteral("toolbar %1").arg(i + 1), QStringLiteral("#%1").arg(command)},
             true});
    }
    rows.push_back(toolbar);
    rows.push_back({QStringLiteral("program"),
                    {{QString::fromStdString(resourceIconPath(kProgramIconId)),
                      {QStringLiteral("program"), QStringLiteral("#%1").arg(kProgramIconId)}}}});
    return rows;
}

void drawMissing(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.setPen(QPen(QColor(255, 0, 0), std::max(1.0, box.width() / 16)));
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomLeft());
    painter.restore();
}

// Returns the number of pictures that could not be drawn.
int renderSheet(const std::vector<Row>& rows, int size, const QString& out) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::clamp(size / 6, 9, 14));
    QFont titleFont = font;
    titleFont.setBold(true);
    const QFontMetrics metrics(font);
    const QFontMetrics titleMetrics(titleFont);

    const int pad = 6;
    int lines = 1;
    int labelWidth = 0;
    int titleWidth = 0;
    std::size_t columns = 0;
    for (const Row& row : rows) {
        titleWidth = std::max(titleWidth, titleMetrics.horizontalAdvance(row.title));
        columns = std::max(columns, row.cells.size());
        for (const Cell& cell : row.cells) {
            lines = std::max(lines, static_cast<int>(cell.label.size()));
            for (const QString& line : cell.label) {
                labelWidth = std::max(labelWidth, metrics.horizontalAdvance(line));
            }
        }
    }
    const int cellWidth = std::max(size, labelWidth) + 2 * pad;
    const int cellHeight = size + lines * metrics.height() + 3 * pad;
    const int left = titleWidth + 2 * pad;

    QImage sheet(left + static_cast<int>(columns) * cellWidth,
                 static_cast<int>(rows.size()) * cellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    int failures = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int top = static_cast<int>(r) * cellHeight;
        painter.setFont(titleFont);
        painter.setPen(Qt::black);
        painter.drawText(QRect(pad, top + pad, titleWidth, size), Qt::AlignLeft | Qt::AlignVCenter,
                         rows[r].title);
        painter.setFont(font);
        for (std::size_t c = 0; c < rows[r].cells.size(); ++c) {
            const Cell& cell = rows[r].cells[c];
            const int x = left + static_cast<int>(c) * cellWidth;
            const int height = cell.toolbar ? size * 15 / 16 : size;
            // A button-face square behind each picture shows how it sits on a board button;
            // the picture's own transparent corners show as that face.
            const QRectF box(x + (cellWidth - size) / 2, top + pad + (size - height) / 2, size,
                             height);
            painter.fillRect(box, QColor(0xC0, 0xC0, 0xC0));
            QSvgRenderer renderer;
            if (!QFile::exists(cell.path) || !renderer.load(cell.path)) {
                drawMissing(painter, box);
                ++failures;
            } else {
                renderer.render(&painter, box);
            }
            painter.setPen(Qt::black);
            for (int i = 0; i < cell.label.size(); ++i) {
                painter.drawText(QRect(x, top + 2 * pad + size + i * metrics.height(), cellWidth,
                                       metrics.height()),
                                 Qt::AlignHCenter | Qt::AlignTop, cell.label[i]);
            }
        }
    }
    painter.end();
    if (!sheet.save(out)) {
        std::fprintf(stderr, "contactsheet: cannot write %s\n", qPrintable(out));
        return -1;
    }
    return failures;
}

} // namespace
} // namespace gemino

int main(int argc, char** argv) {
    // The sheet is drawn off screen; a build machine has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: contactsheet OUT32.png OUT128.png\n");
        return 2;
    }
    const auto rows = gemino::collectRows();
    const int small = gemino::renderSheet(rows, 32, QString::fromLocal8Bit(argv[1]));
    const int large = gemino::renderSheet(rows, 128, QString::fromLocal8Bit(argv[2]));
    if (small < 0 || large < 0) {
        return 1;
    }
    if (small > 0) {
        std::fprintf(stderr, "contactsheet: %d pictures missing or unreadable\n", small);
    }
    return 0;
}

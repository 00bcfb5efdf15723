// barewindow: the yardstick of start-up. A bare Qt main window with a menu bar, a tool bar, a
// status bar and a painted central area, built the way the game's window is built but with
// nothing of the game, and as large as the game's window starts (the screen's available area):
// the first paint of a window costs with its size. It prints "first-paint <microseconds since
// the epoch>" when its central area is first painted, and quits.
#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class PaintedArea : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(192, 192, 192));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("bare"));
        painter.end();
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("first-paint %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
        std::fflush(stdout);
        std::_Exit(0);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    for (const char* title : {"&Game", "&Images", "&Options", "&Help"}) {
        QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(title));
        for (int i = 0; i < 6; ++i) {
            menu->addAction(QStringLiteral("Command %1").arg(i));
        }
    }
    QToolBar* tools = window.addToolBar(QStringLiteral("Toolbar"));
    for (int i = 0; i < 16; ++i) {
        tools->addAction(QStringLiteral("%1").arg(i));
    }
    window.statusBar()->showMessage(QStringLiteral("  "));
    window.setCentralWidget(new PaintedArea);
    window.resize(window.screen()->availableGeometry().size() - QSize(8, 8));
    window.show();
    return QApplication::exec();
}

#include "core/settings/settings.h"
#include "qt/app/gamesession.h"
#include "qt/app/mainwindow.h"
#include "qt/app/qsettingsstore.h"
#include "qt/board/boardview.h"
#include "qt/platform/soundoutput.h"

#include <QApplication>
#include <QDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

void report(const char* what) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf(
        "%s %lld\n", what,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    std::fflush(stdout);
}

// GEMINO_BENCH times the start-up for bench/startup-bench.py: "first-paint" prints
// "first-paint <microseconds since the epoch>" once the board is first painted and quits;
// "pictures" also waits for every picture of the set and prints "pictures <microseconds>".
void watchForBench(const gemino::MainWindow& window) {
    const QString mode = qEnvironmentVariable("GEMINO_BENCH");
    if (mode.isEmpty()) {
        return;
    }
    const bool pictures = mode == QLatin1String("pictures");
    gemino::GameSession* session = window.session();
    QObject::connect(window.board(), &gemino::BoardView::firstPainted, session,
                     [session, pictures] {
                         report("first-paint");
                         if (!pictures || session->picturesPending() == 0) {
                             std::_Exit(0);
                         }
                     });
    QObject::connect(session, &gemino::GameSession::picturesArrived, session, [] {
        report("pictures");
        std::_Exit(0);
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Oakvale"));
    QApplication::setApplicationName(QStringLiteral("Gemino"));
    // Ties the window to its desktop entry, so docks show the game's icon, on Wayland too.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.oakvale.Gemino"));

    gemino::QSettingsStore store;
    gemino::GameSettings settings;
    // The working folder at start-up is where the sound cues are looked for first.
    gemino::LoadSettings(settings, store, QDir::currentPath().toStdString());

    // The records of best games live next to the options, in a group of their own.
    gemino::QSettingsStore records(gemino::QSettingsStore::UserGroup{QStringLiteral("Records")});

    gemino::SpeakerOutput sound;
    gemino::MainWindow window(settings, store, sound, nullptr, &records);
    watchForBench(window);
    // The audio libraries are loaded once the window is painted, before any cue is wanted.
    QObject::connect(
        window.board(), &gemino::BoardView::firstPainted, &window, [&sound] { sound.preload(); },
        Qt::QueuedConnection);
    window.startUp();
    return QApplication::exec();
}

#include "core/settings/settings.h"
#include "qt/app/mainwindow.h"
#include "qt/app/qsettingsstore.h"
#include "qt/platform/soundoutput.h"

#include <QApplication>
#include <QDir>

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
    window.startUp();
    return QApplication::exec();
}

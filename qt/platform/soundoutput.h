#pragma once

#include <QString>

#include <memory>

class QLibrary;

namespace gemino {

// Plays the cues. A new cue stops the one playing.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts the wave file at `path`; returns how long it will sound in milliseconds, 0 when
    // nothing plays (no file, not a wave file, or no audio device).
    virtual int play(const QString& path) = 0;
};

// What the audio module (qt/speaker) gives: playback of one wave file at a time.
class WavePlayer {
public:
    virtual ~WavePlayer() = default;
    virtual void stop() = 0;
    // Starts the file; false when there is no audio output to play it on.
    virtual bool start(const QString& absolutePath) = 0;
};

// Sound through the desktop's audio output. Qt Multimedia and the audio libraries it brings
// (tens of them) live in a module beside the program that is loaded when the first cue plays,
// or when preload() asks, once the window is up: loading them before would delay the window.
// Without the module the game is silent.
// A cue missing from the path it is asked for is looked for in `cueFolder`, by file name.
class SpeakerOutput : public SoundOutput {
public:
    SpeakerOutput(); // falls back on InstalledCueFolder()
    explicit SpeakerOutput(QString cueFolder);
    ~SpeakerOutput() override;
    int play(const QString& path) override;
    // Loads the audio module now, when nobody is waiting for the window.
    void preload();

private:
    WavePlayer* player();

    QString cueFolder_;
    std::unique_ptr<QLibrary> module_;
    std::unique_ptr<WavePlayer> player_;
    bool loaded_ = false;
};

// The file a cue plays: `path` when that file exists, otherwise the file of the same name in
// `cueFolder` when that one exists, otherwise `path` (which then plays nothing).
QString locateCue(const QString& path, const QString& cueFolder);

// The folder an installed game keeps its cues in, found from the folder of the executable, so
// that a game started from a menu, a terminal or a file manager has its sounds wherever the
// installation was put. Needs the application object.
QString installedCueFolder();

// The length in milliseconds of a PCM wave file, 0 when it is missing or not one.
int waveLengthMs(const QString& path);

} // namespace gemino

// The module's one entry point: a new player, owned by the caller.
extern "C" using GeminoCreateWavePlayer = gemino::WavePlayer * (*)();

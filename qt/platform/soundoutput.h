#pragma once

#include <QString>

#include <memory>

class QSoundEffect;

namespace gemino {

// Plays the cues. A new cue stops the one playing.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts the wave file at `path`; returns how long it will sound in milliseconds, 0 when
    // nothing plays (no file, not a wave file, or no audio device).
    virtual int play(const QString& path) = 0;
};

// Sound through the desktop's audio output.
// A cue missing from the path it is asked for is looked for in `cueFolder`, by file name.
class SpeakerOutput : public SoundOutput {
public:
    SpeakerOutput(); // falls back on InstalledCueFolder()
    explicit SpeakerOutput(QString cueFolder);
    ~SpeakerOutput() override;
    int play(const QString& path) override;

private:
    QString cueFolder_;
    std::unique_ptr<QSoundEffect> playing_;
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

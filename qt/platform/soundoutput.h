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
class SpeakerOutput : public SoundOutput {
public:
    SpeakerOutput();
    ~SpeakerOutput() override;
    int play(const QString& path) override;

private:
    std::unique_ptr<QSoundEffect> playing_;
};

// The length in milliseconds of a PCM wave file, 0 when it is missing or not one.
int waveLengthMs(const QString& path);

} // namespace gemino

// The audio module: Qt Multimedia's playback behind the small WavePlayer interface, built as
// a library of its own that the game loads once its window is up (see SpeakerOutput).
#include "qt/platform/soundoutput.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <memory>

namespace {

class SoundEffectPlayer final : public gemino::WavePlayer {
public:
    void stop() override {
        if (playing_) {
            playing_->stop();
            playing_.reset();
        }
    }

    bool start(const QString& absolutePath) override {
        if (QMediaDevices::defaultAudioOutput().isNull()) {
            return false;
        }
        playing_ = std::make_unique<QSoundEffect>();
        playing_->setSource(QUrl::fromLocalFile(absolutePath));
        playing_->play();
        return true;
    }

private:
    std::unique_ptr<QSoundEffect> playing_;
};

} // namespace

extern "C" Q_DECL_EXPORT gemino::WavePlayer* gemino_create_wave_player() {
    return new SoundEffectPlayer;
}

#include "qt/platform/soundoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <cstdint>
#include <utility>

// Set by the build: the data folder of the sound cues relative to the folder of the installed
// executable ("../share/games/gemino"); it holds for any installation prefix.
#ifndef GEMINO_CUE_DIR_FROM_BINARY
#define GEMINO_CUE_DIR_FROM_BINARY ""
#endif

namespace gemino {

namespace {

std::uint32_t le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (std::uint32_t(u[3]) << 24);
}

} // namespace

int waveLengthMs(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        return 0;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    // Only the chunk headers are read: RIFF, then fmt and data somewhere after it.
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") {
        return 0;
    }
    std::uint32_t byteRate = 0;
    while (true) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8) {
            return 0;
        }
        const std::uint32_t size = le32(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray fmt = file.read(std::min<std::uint32_t>(size, 16));
            if (fmt.size() < 16) {
                return 0;
            }
            byteRate = le32(fmt.constData() + 8);
            if (!file.seek(file.pos() + (size - 16) + (size & 1))) {
                return 0;
            }
        } else if (chunk.startsWith("data")) {
            if (byteRate == 0) {
                return 0;
            }
            const std::uint64_t available = std::uint64_t(file.size() - file.pos());
            const std::uint64_t bytes = std::min<std::uint64_t>(size, available);
            return static_cast<int>(bytes * 1000 / byteRate);
        } else if (!file.seek(file.pos() + size + (size & 1))) {
            return 0;
        }
    }
}

QString locateCue(const QString& path, const QString& cueFolder) {
    if (QFileInfo(path).isFile() || cueFolder.isEmpty()) {
        return path;
    }
    const QString installed = QDir(cueFolder).filePath(QFileInfo(path).fileName());
    return QFileInfo(installed).isFile() ? installed : path;
}

namespace {

// A folder of the installation named by its way from the executable's folder.
QString installedFolder(const QString& relative) {
    if (relative.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(relative));
}

} // namespace

QString installedCueFolder() {
    return installedFolder(QStringLiteral(GEMINO_CUE_DIR_FROM_BINARY));
}

SpeakerOutput::SpeakerOutput() : SpeakerOutput(installedCueFolder()) {}
SpeakerOutput::SpeakerOutput(QString cueFolder) : cueFolder_(std::move(cueFolder)) {}

SpeakerOutput::~SpeakerOutput() {
    // The player's code lives in the module, which stays loaded until the process ends.
    player_.reset();
}

void SpeakerOutput::preload() {
    player();
}

WavePlayer* SpeakerOutput::player() {
    if (loaded_) {
        return player_.get();
    }
    loaded_ = true;
    // Beside the program when built or on Windows; in its own library folder when installed.
    for (const QString& folder : {QCoreApplication::applicationDirPath(),
                                  installedFolder(QStringLiteral(GEMINO_MODULE_DIR_FROM_BINARY))}) {
        if (folder.isEmpty()) {
            continue;
        }
        auto module = std::make_unique<QLibrary>(folder + QStringLiteral("/gemino_speaker"));
        const auto create =
            reinterpret_cast<GeminoCreateWavePlayer>(module->resolve("gemino_create_wave_player"));
        if (create) {
            player_.reset(create());
            module_ = std::move(module);
            break;
        }
    }
    return player_.get();
}

int SpeakerOutput::play(const QString& requested) {
    WavePlayer* wave = player();
    if (wave) {
        wave->stop();
    }
    const QString path = locateCue(requested, cueFolder_);
    const int length = waveLengthMs(path);
    if (length <= 0 || !wave || !wave->start(QFileInfo(path).absoluteFilePath())) {
        return 0;
    }
    return length;
}

} // namespace gemino

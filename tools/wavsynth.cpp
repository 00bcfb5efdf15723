// Synthesizes the game's four sound cues and writes them as 16-bit PCM mono WAV at 44100 Hz.
// The game reads them from its start-up folder, so the build runs this next to the executable.
// Usage: wavsynth OUTDIR
//
// The output is a pure function of this source (no random seeds, no clock), so every build
// produces the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace gemino {
namespace {

constexpr int kSampleRate = 44100;
// Peak level after normalising: -1.5 dBFS leaves headroom for resampling in the audio stack.
constexpr double kPeakDbfs = -1.5;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Equal-tempered pitches used by the cues.
constexpr double kC4 = 261.63;
constexpr double kG4 = 392.00;
constexpr double kC5 = 523.25;
constexpr double kE5 = 659.26;
constexpr double kG5 = 783.99;
constexpr double kA5 = 880.00;
constexpr double kC6 = 1046.50;
constexpr double kE6 = 1318.51;
constexpr double kG6 = 1567.98;
constexpr double kC7 = 2093.00;

class Track {
public:
    explicit Track(double seconds)
        : samples_(static_cast<std::size_t>(std::lround(seconds * kSampleRate)), 0.0) {}

    // A struck bar: a few slightly inharmonic partials, the higher ones dying sooner, which
    // is what makes a chime sound bright at the start and pure as it rings out.
    void addBell(double start, double freq, double amplitude, double decay) {
        struct Partial {
            double ratio;
            double level;
        };
        constexpr Partial partials[] = {{1.0, 1.0}, {2.0, 0.35}, {3.01, 0.14}, {4.16, 0.07}};
        const double attack = 0.003;
        for (std::size_t k = 0; k < std::size(partials); ++k) {
            const double f = freq * partials[k].ratio;
            if (f >= kSampleRate / 2.0) {
                continue;
            }
            const double tau = decay / (1.0 + 0.8 * static_cast<double>(k));
            forEachSample(start, [&](double t) {
                const double env = std::min(1.0, t / attack) * std::exp(-t / tau);
                return amplitude * partials[k].level * env * std::sin(kTwoPi * f * t);
            });
        }
    }

    // A brass-like note: harmonics falling off as 1/n, a soft attack and release, and a gentle
    // vibrato on long notes so a held chord does not sound like an organ.
    void addBrass(double start, double freq, double amplitude, double length) {
        const double attack = 0.025;
        // Short notes keep most of their length at full level so a quick run stays crisp.
        const double release = std::min(0.08, 0.3 * length);
        forEachSample(start, [&](double t) {
            if (t >= length) {
                return 0.0;
            }
            double env = std::min(1.0, t / attack);
            if (t > length - release) {
                env *= (length - t) / release;
            }
            const double vibrato = length > 0.4 ? 0.004 * std::sin(kTwoPi * 5.5 * t) : 0.0;
            const double phase = kTwoPi * freq * (t + vibrato / (kTwoPi * 5.5));
            double value = 0.0;
            for (int n = 1; n <= 8 && freq * n < kSampleRate / 2.0; ++n) {
                value += std::sin(phase * n) / n;
            }
            return amplitude * env * value;
        });
    }

    // A drop in pitch under a fast decay: the ear hears a short "pop" rather than a tone.
    void addPop(double from, double to, double amplitude, double decay) {
        double phase = 0.0;
        forEachSample(0.0, [&](double t) {
            const double f = to + (from - to) * std::exp(-t / 0.018);
            phase += kTwoPi * f / kSampleRate;
            const double env = std::min(1.0, t / 0.002) * std::exp(-t / decay);
            return amplitude * env * std::sin(phase);
        });
    }

    // Scales to the target peak and fades both ends, so playback starts and stops on silence
    // with no click.
    std::vector<std::int16_t> finish(double fadeIn, double fadeOut) const {
        const std::size_t n = samples_.size();
        std::vector<double> shaped = samples_;
        const auto ramp = [](double x) { return 0.5 - 0.5 * std::cos(std::numbers::pi * x); };
        const double inLength = fadeIn * kSampleRate;
        const double outLength = fadeOut * kSampleRate;
        for (std::size_t i = 0; i < n; ++i) {
            const double fromStart = static_cast<double>(i);
            const double toEnd = static_cast<double>(n - 1 - i);
            if (fromStart < inLength) {
                shaped[i] *= ramp(fromStart / inLength);
            }
            if (toEnd < outLength) {
                shaped[i] *= ramp(toEnd / outLength);
            }
        }
        double peak = 0.0;
        for (double v : shaped) {
            peak = std::max(peak, std::abs(v));
        }
        const double gain = peak > 0.0 ? std::pow(10.0, kPeakDbfs / 20.0) / peak : 0.0;
        std::vector<std::int16_t> pcm(n);
        for (std::size_t i = 0; i < n; ++i) {
            pcm[i] = static_cast<std::int16_t>(std::lround(shaped[i] * gain * 32767.0));
        }
        return pcm;
    }

private:
    template <typename F> void forEachSample(double start, F&& sample) {
        const auto first = static_cast<std::size_t>(std::lround(start * kSampleRate));
        for (std::size_t i = first; i < samples_.size(); ++i) {
            samples_[i] += sample(static_cast<double>(i - first) / kSampleRate);
        }
    }

    std::vector<double> samples_;
};

std::vector<std::int16_t> matchCue() {
    Track track(0.30);
    track.addBell(0.000, kA5, 0.8, 0.10);
    track.addBell(0.055, kE6, 1.0, 0.09);
    return track.finish(0.002, 0.03);
}

std::vector<std::int16_t> bonusCue() {
    Track track(0.60);
    const double notes[] = {kC6, kE6, kG6, kC7};
    for (int i = 0; i < 4; ++i) {
        track.addBell(0.075 * i, notes[i], 0.9, 0.16);
        track.addBell(0.075 * i, notes[i] / 2.0, 0.35, 0.20);
    }
    // The top note sounds again softly as a sparkle over the ringing chord.
    track.addBell(0.36, kC7, 0.45, 0.10);
    return track.finish(0.002, 0.06);
}

std::vector<std::int16_t> popCue() {
    Track track(0.12);
    track.addPop(1400.0, 320.0, 1.0, 0.022);
    return track.finish(0.001, 0.02);
}

std::vector<std::int16_t> youWonCue() {
    Track track(1.80);
    // "Ta-ta-ta-taa, ta-taaaa" rising through the C major triad.
    track.addBrass(0.00, kG4, 0.8, 0.11);
    track.addBrass(0.12, kC5, 0.8, 0.11);
    track.addBrass(0.24, kE5, 0.8, 0.11);
    track.addBrass(0.36, kG5, 0.8, 0.30);
    track.addBrass(0.68, kE5, 0.8, 0.11);
    track.addBrass(0.80, kG5, 0.45, 0.95);
    track.addBrass(0.80, kE5, 0.25, 0.95);
    track.addBrass(0.80, kC5, 0.25, 0.95);
    track.addBrass(0.80, kC4, 0.20, 0.95);
    return track.finish(0.003, 0.12);
}

void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

bool writeWav(const std::filesystem::path& path, const std::vector<std::int16_t>& pcm) {
    const auto dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::string bytes;
    bytes.reserve(44 + dataBytes);
    bytes += "RIFF";
    putLe(bytes, 36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    putLe(bytes, 16, 4);              // fmt chunk size
    putLe(bytes, 1, 2);               // PCM
    putLe(bytes, 1, 2);               // mono
    putLe(bytes, kSampleRate, 4);     // sample rate
    putLe(bytes, kSampleRate * 2, 4); // byte rate
    putLe(bytes, 2, 2);               // block align
    putLe(bytes, 16, 2);              // bits per sample
    bytes += "data";
    putLe(bytes, dataBytes, 4);
    for (std::int16_t s : pcm) {
        putLe(bytes, static_cast<std::uint16_t>(s), 2);
    }
    // Written beside the final name first, so a game started mid-build never reads half a file.
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!file.good()) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

} // namespace
} // namespace gemino

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wavsynth OUTDIR\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    const struct {
        const char* name;
        std::vector<std::int16_t> (*make)();
    } cues[] = {
        {"Match.wav", gemino::matchCue},
        {"Bonus.wav", gemino::bonusCue},
        {"Pop.wav", gemino::popCue},
        {"You Won.wav", gemino::youWonCue},
    };
    for (const auto& cue : cues) {
        if (!gemino::writeWav(folder / cue.name, cue.make())) {
            std::fprintf(stderr, "wavsynth: cannot write %s\n",
                         (folder / cue.name).string().c_str());
            return 1;
        }
    }
    return 0;
}

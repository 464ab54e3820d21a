#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace pelmo {

struct ProgramSettings;

enum class SoundSignal {
    Completion = 1,  // 800 Hz 100 ms, then 600 Hz 100 ms
    Warning = 2,     // 900 Hz 50 ms
};

struct Tone {
    int frequencyHz;
    int durationMs;
};

inline constexpr int kToneSampleRate = 22050;

std::vector<Tone> signalTones(SoundSignal kind);
// Mono signed 16-bit samples of the tones one after another.
std::vector<std::int16_t> toneSamples(const std::vector<Tone>& tones,
                                      int sampleRate = kToneSampleRate);

// A player command reading raw S16LE mono samples at kToneSampleRate from standard
// input, or an empty program when no audio output or player is present.
struct PlayerCommand {
    QString program;
    QStringList arguments;
};
PlayerCommand findPlayer();

// Plays the signal when the `sound` setting is on and an audio output exists; returns at
// once and never blocks. Silently does nothing otherwise.
void playSignal(const ProgramSettings& settings, SoundSignal kind);

}  // namespace pelmo

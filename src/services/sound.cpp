#include "services/sound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cmath>
#include <numbers>

#include "files/program_settings.h"

namespace pelmo {

namespace {

// A short ramp at both ends of each tone keeps the speaker from clicking.
constexpr int kRampMs = 3;
constexpr double kAmplitude = 0.4 * 32767.0;
// A player that hangs (a stuck sound server) is not left running.
constexpr int kPlayerTimeoutMs = 5000;

bool soundServerPresent() {
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) {
        return false;
    }
    const QDir dir(runtime);
    return QFileInfo::exists(dir.filePath(QStringLiteral("pulse/native"))) ||
           QFileInfo::exists(dir.filePath(QStringLiteral("pipewire-0")));
}

bool soundDevicesPresent() {
    const QDir snd(QStringLiteral("/dev/snd"));
    return snd.exists() && !snd.entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

}  // namespace

std::vector<Tone> signalTones(SoundSignal kind) {
    switch (kind) {
        case SoundSignal::Completion:
            return {{800, 100}, {600, 100}};
        case SoundSignal::Warning:
            return {{900, 50}};
    }
    return {};
}

std::vector<std::int16_t> toneSamples(const std::vector<Tone>& tones, int sampleRate) {
    std::vector<std::int16_t> samples;
    if (sampleRate <= 0) {
        return samples;
    }
    const int ramp = sampleRate * kRampMs / 1000;
    for (const Tone& tone : tones) {
        const int count = static_cast<int>(static_cast<long long>(sampleRate) *
                                           std::max(tone.durationMs, 0) / 1000);
        const double step = 2.0 * std::numbers::pi * tone.frequencyHz / sampleRate;
        for (int i = 0; i < count; ++i) {
            const int edge = std::min(i, count - 1 - i);
            const double gain = edge < ramp ? static_cast<double>(edge) / ramp : 1.0;
            samples.push_back(
                static_cast<std::int16_t>(std::lround(kAmplitude * gain * std::sin(step * i))));
        }
    }
    return samples;
}

PlayerCommand findPlayer() {
    const QString rate = QString::number(kToneSampleRate);
    if (soundServerPresent()) {
        const QString paplay = QStandardPaths::findExecutable(QStringLiteral("paplay"));
        if (!paplay.isEmpty()) {
            return {paplay,
                    {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                     QStringLiteral("--channels=1"), QStringLiteral("--rate=") + rate}};
        }
    }
    if (soundServerPresent() || soundDevicesPresent()) {
        const QString aplay = QStandardPaths::findExecutable(QStringLiteral("aplay"));
        if (!aplay.isEmpty()) {
            return {aplay,
                    {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("raw"),
                     QStringLiteral("-f"), QStringLiteral("S16_LE"), QStringLiteral("-c"),
                     QStringLiteral("1"), QStringLiteral("-r"), rate}};
        }
    }
    return {};
}

void playSignal(const ProgramSettings& settings, SoundSignal kind) {
    if (!settings.sound || QCoreApplication::instance() == nullptr) {
        return;
    }
    const PlayerCommand player = findPlayer();
    if (player.program.isEmpty()) {
        return;
    }
    const std::vector<std::int16_t> samples = toneSamples(signalTones(kind));
    QByteArray pcm;
    pcm.reserve(static_cast<qsizetype>(samples.size() * 2));
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        pcm.append(static_cast<char>(u & 0xFF));
        pcm.append(static_cast<char>(u >> 8));
    }

    // The process writes its input from the event loop and deletes itself when done.
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                         }
                     });
    QTimer::singleShot(kPlayerTimeoutMs, process, [process]() { process->kill(); });
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(player.program, player.arguments);
    process->write(pcm);
    process->closeWriteChannel();
}

}  // namespace pelmo

#pragma once

#include "support/Error.h"

#include <QString>

#include <vector>

namespace parlowind {

// Audio read from a WAV file: interleaved float samples at the file's own
// rate and channel count, nominal range -1...1.
struct WavAudio
{
    std::vector<float> samples;
    int sampleRate = 0;
    int channels = 0;

    qsizetype frameCount() const { return channels > 0 ? qsizetype(samples.size()) / channels : 0; }
    double durationSeconds() const { return sampleRate > 0 ? double(frameCount()) / sampleRate : 0; }
};

// A file that could not be read as WAV audio.
class WavReadError final : public Error
{
public:
    WavReadError(QString path, QString reason)
        : m_path(std::move(path))
        , m_reason(std::move(reason))
    { }
    const QString &path() const { return m_path; }
    const QString &reason() const { return m_reason; }
    QString description() const override { return QStringLiteral("%1: %2").arg(m_path, m_reason); }

private:
    QString m_path;
    QString m_reason;
};

// Reads PCM (8, 16, 24 or 32-bit integers) or IEEE float (32 or 64-bit) WAV
// files, plain or extensible. Throws WavReadError.
WavAudio readWavFile(const QString &path);
WavAudio parseWav(const QByteArray &bytes, const QString &pathForErrors);

// Mixes the channels down and converts to the engine's 16 kHz mono.
std::vector<float> toEngineSamples(const WavAudio &audio);

} // namespace parlowind

#include "WavReader.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace parlowind {

namespace {

constexpr quint16 formatPcm = 1;
constexpr quint16 formatFloat = 3;
constexpr quint16 formatExtensible = 0xFFFE;

struct Format
{
    quint16 encoding = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
};

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

float decodeSample(const char *p, const Format &format)
{
    if (format.encoding == formatFloat) {
        if (format.bitsPerSample == 32) {
            const quint32 bits = u32(p);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        const quint64 bits = qFromLittleEndian<quint64>(p);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return float(value);
    }
    switch (format.bitsPerSample) {
    case 8: // unsigned, centred on 128
        return (float(quint8(p[0])) - 128.0f) / 128.0f;
    case 16:
        return float(qint16(u16(p))) / 32768.0f;
    case 24: {
        const qint32 value
            = qint32((quint32(quint8(p[0])) << 8) | (quint32(quint8(p[1])) << 16) | (quint32(quint8(p[2])) << 24)) >> 8;
        return float(value) / 8388608.0f;
    }
    default:
        return float(double(qint32(u32(p))) / 2147483648.0);
    }
}

} // namespace

WavAudio readWavFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WavReadError(path, file.errorString());
    return parseWav(file.readAll(), path);
}

WavAudio parseWav(const QByteArray &bytes, const QString &path)
{
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        throw WavReadError(path, QStringLiteral("not a WAV file"));

    std::optional<Format> format;
    const char *samples = nullptr;
    qsizetype sampleBytes = 0;
    qsizetype offset = 12;
    while (offset + 8 <= size) {
        const char *chunk = data + offset;
        const qsizetype chunkSize = u32(chunk + 4);
        const qsizetype available = std::min(chunkSize, size - offset - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16)
                throw WavReadError(path, QStringLiteral("damaged WAV format chunk"));
            Format f;
            f.encoding = u16(chunk + 8);
            f.channels = u16(chunk + 10);
            f.sampleRate = int(u32(chunk + 12));
            f.blockAlign = u16(chunk + 20);
            f.bitsPerSample = u16(chunk + 22);
            if (f.encoding == formatExtensible) {
                if (available < 40)
                    throw WavReadError(path, QStringLiteral("damaged WAV format chunk"));
                f.encoding = u16(chunk + 8 + 24); // first two bytes of the sub-format GUID
            }
            format = f;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            samples = chunk + 8;
            // A streamed file may announce more (or 0xFFFFFFFF) than it holds.
            sampleBytes = available;
            break;
        }
        offset += 8 + chunkSize + (chunkSize & 1);
    }

    if (!format)
        throw WavReadError(path, QStringLiteral("WAV file without a format chunk"));
    if (!samples)
        throw WavReadError(path, QStringLiteral("WAV file without audio data"));
    const Format &f = *format;
    const bool pcm = f.encoding == formatPcm
        && (f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 24 || f.bitsPerSample == 32);
    const bool floating = f.encoding == formatFloat && (f.bitsPerSample == 32 || f.bitsPerSample == 64);
    if (!pcm && !floating)
        throw WavReadError(
            path, QStringLiteral("unsupported WAV encoding (format %1, %2 bits)").arg(f.encoding).arg(f.bitsPerSample));
    const int bytesPerSample = f.bitsPerSample / 8;
    if (f.channels < 1 || f.sampleRate < 1 || f.blockAlign < f.channels * bytesPerSample)
        throw WavReadError(path, QStringLiteral("damaged WAV format chunk"));

    WavAudio audio;
    audio.sampleRate = f.sampleRate;
    audio.channels = f.channels;
    const qsizetype frames = sampleBytes / f.blockAlign;
    audio.samples.reserve(size_t(frames * f.channels));
    for (qsizetype frame = 0; frame < frames; ++frame) {
        const char *p = samples + frame * f.blockAlign;
        for (int channel = 0; channel < f.channels; ++channel)
            audio.samples.push_back(decodeSample(p + channel * bytesPerSample, f));
    }
    return audio;
}

} // namespace parlowind

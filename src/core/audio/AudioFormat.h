#pragma once

namespace parlowind {

// Interleaved 32-bit float PCM at some rate and channel count: what an audio
// device delivers. The speech engine's own format is `whisperFormat`.
struct AudioFormat
{
    double sampleRate = 0;
    int channels = 0;

    bool isUsable() const { return sampleRate > 0 && channels > 0; }
    bool operator==(const AudioFormat &) const = default;
};

// Mono, 16 kHz: the only format the speech engine accepts.
inline constexpr AudioFormat whisperFormat { 16000.0, 1 };

} // namespace parlowind

#pragma once

#include "AudioFormat.h"

#include <QtGlobal>

#include <memory>
#include <vector>

namespace parlowind {

// Streaming conversion of interleaved float audio to the engine format
// (16 kHz mono): channels are averaged, then a band-limited resampler brings
// the rate down. The resampler keeps its filter state between blocks, so a
// stream can be fed block by block; flush() ends the stream and returns what
// the filter still holds. Not thread-safe: one caller at a time.
class AudioFormatConverter final
{
public:
    // Throws AudioFormatError::unsupportedInputFormat.
    explicit AudioFormatConverter(AudioFormat inputFormat);
    ~AudioFormatConverter();
    AudioFormatConverter(const AudioFormatConverter &) = delete;
    AudioFormatConverter &operator=(const AudioFormatConverter &) = delete;

    AudioFormat inputFormat() const { return m_inputFormat; }

    // `frames` interleaved frames in the input format. An empty block returns
    // nothing and leaves the filter untouched. Throws AudioFormatError.
    std::vector<float> convert(const float *interleaved, qint64 frames);
    std::vector<float> convert(const std::vector<float> &interleaved);

    // Ends the stream. Throws AudioFormatError.
    std::vector<float> flush();

private:
    struct Resampler;

    AudioFormat m_inputFormat;
    std::unique_ptr<Resampler> m_resampler;
    std::vector<float> m_mono;
};

// Converts one whole take, interleaved in `format` (the capture's is mono),
// to the engine format, with a converter of its own so no filter state leaks between takes.
// Never throws: a failure is logged and gives no samples (or, in the flush,
// only the tail is lost).
std::vector<float> convertTakeToWhisperFormat(const std::vector<float> &samples, AudioFormat format) noexcept;

} // namespace parlowind

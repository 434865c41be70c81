#include "WavReader.h"

#include "audio/AudioFormatConverter.h"

namespace parlowind {

std::vector<float> toEngineSamples(const WavAudio &audio)
{
    const AudioFormat format { double(audio.sampleRate), audio.channels };
    if (format == whisperFormat)
        return audio.samples;
    // The same band-limited converter the microphone uses.
    AudioFormatConverter converter(format);
    std::vector<float> samples = converter.convert(audio.samples);
    const std::vector<float> tail = converter.flush();
    samples.insert(samples.end(), tail.begin(), tail.end());
    return samples;
}

} // namespace parlowind

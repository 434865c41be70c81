// Stand-in conversion to the engine format for the command line until the
// streaming converter of the audio subsystem takes its place.
#include "WavReader.h"

#include <cmath>
#include <numbers>

namespace parlowind {

namespace {

constexpr int engineRate = 16000;
constexpr double zeroCrossings = 16; // each side of the kernel centre

std::vector<float> downmix(const WavAudio &audio)
{
    if (audio.channels == 1)
        return audio.samples;
    const qsizetype frames = audio.frameCount();
    std::vector<float> mono(size_t(frames), 0.0f);
    for (qsizetype frame = 0; frame < frames; ++frame) {
        double sum = 0;
        for (int channel = 0; channel < audio.channels; ++channel)
            sum += audio.samples[size_t(frame * audio.channels + channel)];
        mono[size_t(frame)] = float(sum / audio.channels);
    }
    return mono;
}

double sinc(double x)
{
    if (std::abs(x) < 1e-9)
        return 1.0;
    return std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

// Band-limited resampling with a Hann-windowed sinc whose cut-off is the
// lower of the two Nyquist frequencies, so downsampling does not alias.
std::vector<float> resample(const std::vector<float> &input, int inputRate)
{
    if (inputRate == engineRate || input.empty())
        return input;
    const double ratio = double(engineRate) / inputRate;
    const double scale = std::min(1.0, ratio); // cut-off relative to the input Nyquist
    const double halfWidth = zeroCrossings / scale; // in input samples
    const auto outputCount = size_t(std::floor(double(input.size()) * ratio));
    std::vector<float> output(outputCount);
    const auto last = qsizetype(input.size()) - 1;
    for (size_t n = 0; n < outputCount; ++n) {
        const double centre = double(n) / ratio;
        const auto first = std::max<qsizetype>(qsizetype(std::ceil(centre - halfWidth)), 0);
        const auto end = std::min<qsizetype>(qsizetype(std::floor(centre + halfWidth)), last);
        double sum = 0;
        double weights = 0;
        for (qsizetype k = first; k <= end; ++k) {
            const double distance = centre - double(k);
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * distance / halfWidth);
            const double weight = sinc(distance * scale) * window;
            sum += weight * input[size_t(k)];
            weights += weight;
        }
        output[n] = weights != 0 ? float(sum / weights) : 0.0f;
    }
    return output;
}

} // namespace

std::vector<float> toEngineSamples(const WavAudio &audio)
{
    return resample(downmix(audio), audio.sampleRate);
}

} // namespace parlowind

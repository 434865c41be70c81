#include "AudioFormatConverter.h"

#include "AudioCaptureError.h"
#include "AudioDownmix.h"
#include "support/Log.h"

#include <soxr.h>

#include <cmath>

namespace parlowind {

struct AudioFormatConverter::Resampler
{
    soxr_t handle = nullptr;
    ~Resampler()
    {
        if (handle)
            soxr_delete(handle);
    }
};

namespace {
constexpr qint64 headroomFrames = 4096;

void check(soxr_error_t error)
{
    if (error)
        throw AudioFormatError::converterFailed(QString::fromUtf8(error));
}
} // namespace

AudioFormatConverter::AudioFormatConverter(AudioFormat inputFormat)
    : m_inputFormat(inputFormat)
    , m_resampler(std::make_unique<Resampler>())
{
    if (!inputFormat.isUsable() || !std::isfinite(inputFormat.sampleRate))
        throw AudioFormatError::unsupportedInputFormat(
            QStringLiteral("%1 Hz, %2 channels").arg(inputFormat.sampleRate).arg(inputFormat.channels));
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    m_resampler->handle
        = soxr_create(inputFormat.sampleRate, whisperFormat.sampleRate, 1, &error, &io, &quality, nullptr);
    if (error || !m_resampler->handle)
        throw AudioFormatError::unsupportedInputFormat(error ? QString::fromUtf8(error) : QString());
}

AudioFormatConverter::~AudioFormatConverter() = default;

std::vector<float> AudioFormatConverter::convert(const std::vector<float> &interleaved)
{
    return convert(interleaved.data(), qint64(interleaved.size()) / m_inputFormat.channels);
}

std::vector<float> AudioFormatConverter::convert(const float *interleaved, qint64 frames)
{
    if (frames <= 0)
        return {};
    const float *mono = interleaved;
    if (m_inputFormat.channels > 1) {
        m_mono.resize(std::size_t(frames));
        AudioDownmix::downmixToMono({ interleaved, frames, m_inputFormat.channels }, m_mono.data(), frames);
        mono = m_mono.data();
    }

    std::vector<float> result;
    const auto expected = qint64(double(frames) * whisperFormat.sampleRate / m_inputFormat.sampleRate);
    std::vector<float> out(std::size_t(expected + headroomFrames));
    std::size_t consumed = 0;
    const auto total = std::size_t(frames);
    // Keep going until all input is taken and the output block was not filled
    // to the brim (a full block may mean more is waiting).
    for (;;) {
        std::size_t used = 0;
        std::size_t produced = 0;
        check(soxr_process(m_resampler->handle, mono + consumed, total - consumed, &used, out.data(), out.size(),
                           &produced));
        consumed += used;
        result.insert(result.end(), out.begin(), out.begin() + std::ptrdiff_t(produced));
        if (consumed >= total && produced < out.size())
            break;
        if (used == 0 && produced == 0)
            throw AudioFormatError::converterFailed(QStringLiteral("resampler made no progress"));
    }
    return result;
}

std::vector<float> AudioFormatConverter::flush()
{
    std::vector<float> result;
    std::vector<float> out(static_cast<std::size_t>(headroomFrames));
    for (;;) {
        std::size_t produced = 0;
        check(soxr_process(m_resampler->handle, nullptr, 0, nullptr, out.data(), out.size(), &produced));
        if (produced == 0)
            break;
        result.insert(result.end(), out.begin(), out.begin() + std::ptrdiff_t(produced));
    }
    return result;
}

std::vector<float> convertTakeToWhisperFormat(const std::vector<float> &samples, AudioFormat format) noexcept
{
    try {
        std::vector<float> converted;
        std::unique_ptr<AudioFormatConverter> converter;
        try {
            converter = std::make_unique<AudioFormatConverter>(format);
            converted = converter->convert(samples);
        } catch (const std::exception &error) {
            log(QStringLiteral("AudioCapture: conversion failed; no usable samples: ") + describeForLog(error));
            return {};
        }
        try {
            std::vector<float> tail = converter->flush();
            converted.insert(converted.end(), tail.begin(), tail.end());
        } catch (const std::exception &error) {
            log(QStringLiteral("AudioCapture: flush failed; returning samples captured before the tail: ")
                + describeForLog(error));
        }
        return converted;
    } catch (...) {
        // Out of memory while assembling the result.
        return {};
    }
}

} // namespace parlowind

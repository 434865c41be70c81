#pragma once

// Signals and log capture shared by the audio tests.

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <cmath>
#include <numbers>
#include <vector>

namespace parlowind::test {

// `seconds` of a sine at `frequency`, interleaved over `channels` identical channels.
inline std::vector<float> sine(double frequency, double sampleRate, double seconds, float amplitude = 0.5f,
                               int channels = 1)
{
    const auto frames = std::size_t(std::llround(seconds * sampleRate));
    std::vector<float> out(frames * std::size_t(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const float v = amplitude * float(std::sin(2.0 * std::numbers::pi * frequency * double(i) / sampleRate));
        for (int c = 0; c < channels; ++c)
            out[i * std::size_t(channels) + std::size_t(c)] = v;
    }
    return out;
}

inline double rms(const float *samples, std::size_t count)
{
    if (count == 0)
        return 0;
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * double(samples[i]);
    return std::sqrt(sum / double(count));
}

inline double rms(const std::vector<float> &samples, std::size_t skipEdges = 0)
{
    if (samples.size() <= 2 * skipEdges)
        return 0;
    return rms(samples.data() + skipEdges, samples.size() - 2 * skipEdges);
}

inline float maxAbsDifference(const std::vector<float> &a, const std::vector<float> &b)
{
    float worst = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

// Collects the lines that log() prints while it exists (from any thread).
class LogCapture final
{
public:
    LogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines;
    }
    bool contains(const QString &text) const
    {
        const QStringList all = lines();
        for (const QString &line : all)
            if (line.contains(text))
                return true;
        return false;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        if (LogCapture *self = s_current) {
            QMutexLocker locker(&self->m_mutex);
            self->m_lines.append(message);
        }
    }

    inline static std::atomic<LogCapture *> s_current { nullptr };
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_lines;
};

} // namespace parlowind::test

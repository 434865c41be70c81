#include "LevelMeter.h"

#include <bit>
#include <cmath>

namespace parlowind {

void LevelMeter::update(const float *samples, qint64 count) noexcept
{
    if (count <= 0)
        return;
    double sum = 0;
    for (qint64 i = 0; i < count; ++i)
        sum += double(samples[i]) * double(samples[i]);
    float rms = float(std::sqrt(sum / double(count)));
    if (!(rms <= 1.0f)) // also catches NaN from garbage input
        rms = std::isnan(rms) ? 0.0f : 1.0f;

    std::uint32_t stored = m_storage.load(std::memory_order_relaxed);
    while (std::bit_cast<float>(stored) < rms) {
        if (m_storage.compare_exchange_weak(stored, std::bit_cast<std::uint32_t>(rms), std::memory_order_release,
                                            std::memory_order_relaxed))
            break;
    }
}

float LevelMeter::takePeak() noexcept
{
    return std::bit_cast<float>(m_storage.exchange(0, std::memory_order_acq_rel));
}

float LevelMeter::level() const noexcept
{
    return std::bit_cast<float>(m_storage.load(std::memory_order_acquire));
}

void LevelMeter::reset() noexcept
{
    m_storage.store(0, std::memory_order_release);
}

} // namespace parlowind

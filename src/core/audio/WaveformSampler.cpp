#include "WaveformSampler.h"

#include <algorithm>

namespace parlowind {

WaveformSampler::WaveformSampler(int barCount)
    : m_barCount(std::max(barCount, 1))
    , m_values(std::size_t(m_barCount), 0.0f)
{ }

void WaveformSampler::append(float height)
{
    const float clamped = height > 0 ? std::min(height, 1.0f) : 0.0f; // NaN draws nothing
    std::lock_guard guard(m_lock);
    m_values[m_oldest] = clamped;
    m_oldest = (m_oldest + 1) % m_values.size();
}

std::vector<float> WaveformSampler::bars() const
{
    std::lock_guard guard(m_lock);
    std::vector<float> ordered;
    ordered.reserve(m_values.size());
    ordered.insert(ordered.end(), m_values.begin() + std::ptrdiff_t(m_oldest), m_values.end());
    ordered.insert(ordered.end(), m_values.begin(), m_values.begin() + std::ptrdiff_t(m_oldest));
    return ordered;
}

void WaveformSampler::reset()
{
    std::lock_guard guard(m_lock);
    std::fill(m_values.begin(), m_values.end(), 0.0f);
    m_oldest = 0;
}

} // namespace parlowind

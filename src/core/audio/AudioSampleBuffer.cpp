#include "AudioSampleBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace parlowind {

namespace {
qint64 capacityFor(double maxSeconds, double sampleRate)
{
    const double product = maxSeconds * sampleRate;
    if (!(product >= 1.0)) // also catches NaN
        return 1;
    return qint64(std::trunc(product));
}
} // namespace

AudioSampleBuffer::AudioSampleBuffer(double maxSeconds, double sampleRate)
    : m_capacity(capacityFor(maxSeconds, sampleRate))
    , m_sampleRate(sampleRate)
    , m_storage(new float[std::size_t(m_capacity)]())
{ }

void AudioSampleBuffer::append(const float *samples, qint64 count) noexcept
{
    if (count <= 0)
        return;
    const std::uint64_t write = m_writePosition.load(std::memory_order_relaxed);
    const std::uint64_t read = m_readPosition.load(std::memory_order_acquire);
    const auto capacity = std::uint64_t(m_capacity);
    const std::uint64_t room = capacity - (write - read);
    const std::uint64_t k = std::min<std::uint64_t>(std::uint64_t(count), room);
    if (k > 0) {
        const std::uint64_t start = write % capacity;
        const std::uint64_t first = std::min(k, capacity - start);
        std::memcpy(m_storage.get() + start, samples, first * sizeof(float));
        if (k > first)
            std::memcpy(m_storage.get(), samples + first, (k - first) * sizeof(float));
        m_writePosition.store(write + k, std::memory_order_release);
    }
    if (k < std::uint64_t(count))
        m_overflowed.store(true, std::memory_order_release);
}

std::vector<float> AudioSampleBuffer::copyRange(std::uint64_t from, std::uint64_t to) const
{
    std::vector<float> out(std::size_t(to - from));
    if (out.empty())
        return out;
    const auto capacity = std::uint64_t(m_capacity);
    const std::uint64_t start = from % capacity;
    const std::uint64_t first = std::min<std::uint64_t>(out.size(), capacity - start);
    std::memcpy(out.data(), m_storage.get() + start, first * sizeof(float));
    if (out.size() > first)
        std::memcpy(out.data() + first, m_storage.get(), (out.size() - first) * sizeof(float));
    return out;
}

std::vector<float> AudioSampleBuffer::snapshot() const
{
    const std::uint64_t read = m_readPosition.load(std::memory_order_relaxed);
    const std::uint64_t write = m_writePosition.load(std::memory_order_acquire);
    return copyRange(read, write);
}

std::vector<float> AudioSampleBuffer::take()
{
    const std::uint64_t read = m_readPosition.load(std::memory_order_relaxed);
    const std::uint64_t write = m_writePosition.load(std::memory_order_acquire);
    m_overflowed.store(false, std::memory_order_release);
    std::vector<float> out = copyRange(read, write);
    // Only now may the writer reuse the space: the copy is complete.
    m_readPosition.store(write, std::memory_order_release);
    return out;
}

void AudioSampleBuffer::reset() noexcept
{
    m_overflowed.store(false, std::memory_order_release);
    m_readPosition.store(m_writePosition.load(std::memory_order_acquire), std::memory_order_release);
}

qint64 AudioSampleBuffer::count() const noexcept
{
    const std::uint64_t read = m_readPosition.load(std::memory_order_acquire);
    const std::uint64_t write = m_writePosition.load(std::memory_order_acquire);
    return qint64(write - read);
}

} // namespace parlowind

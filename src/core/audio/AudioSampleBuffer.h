#pragma once

#include <QtGlobal>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace parlowind {

// Bounded store of one recording's mono samples, filled by the audio thread
// and emptied by the reader. Holds at most `capacity` unread samples: once
// full, newer samples are dropped (never wrapped over older ones) until the
// reader takes what is there.
//
// One writer (append) and one reader (snapshot, take, reset) at a time, with
// no lock: the writer publishes samples by advancing the write position after
// copying them, the reader releases space by advancing the read position
// after copying out. Taking while the writer appends therefore loses no
// sample and returns none twice. Storage is a ring over the two positions, so
// space freed by take() is reused.
class AudioSampleBuffer final
{
public:
    // capacity = maxSeconds × sampleRate, truncated, at least 1. Allocates the
    // whole storage now, zero-filled.
    AudioSampleBuffer(double maxSeconds, double sampleRate);
    AudioSampleBuffer(const AudioSampleBuffer &) = delete;
    AudioSampleBuffer &operator=(const AudioSampleBuffer &) = delete;

    // Writer only. Copies what fits, drops the rest and marks the overflow.
    // No allocation, no lock.
    void append(const float *samples, qint64 count) noexcept;

    // The unread samples, oldest first. Changes nothing.
    std::vector<float> snapshot() const;

    // The unread samples, which are then released to the writer, and clears
    // the overflow mark: what a drain needs.
    std::vector<float> take();

    // Drops the unread samples and clears the overflow mark.
    void reset() noexcept;

    qint64 capacity() const { return m_capacity; }
    double sampleRate() const { return m_sampleRate; }
    qint64 count() const noexcept;
    bool didOverflow() const noexcept { return m_overflowed.load(std::memory_order_acquire); }
    double durationSeconds() const noexcept { return double(count()) / m_sampleRate; }

private:
    std::vector<float> copyRange(std::uint64_t from, std::uint64_t to) const;

    const qint64 m_capacity;
    const double m_sampleRate;
    std::unique_ptr<float[]> m_storage;
    // Total samples ever written and ever released; storage index is the
    // position modulo capacity.
    std::atomic<std::uint64_t> m_writePosition { 0 };
    std::atomic<std::uint64_t> m_readPosition { 0 };
    std::atomic_bool m_overflowed { false };
};

} // namespace parlowind

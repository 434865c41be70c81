#pragma once

#include <QtGlobal>

#include <atomic>
#include <cstdint>
#include <span>

namespace parlowind {

// Loudest block level (RMS, 0…1) since it was last read. Written from the
// audio thread, read by a display timer; lock-free on both sides so the audio
// thread never waits.
class LevelMeter final
{
public:
    LevelMeter() = default;
    LevelMeter(const LevelMeter &) = delete;
    LevelMeter &operator=(const LevelMeter &) = delete;

    // Raises the held level to this block's RMS if that is louder.
    void update(const float *samples, qint64 count) noexcept;
    void update(std::span<const float> samples) noexcept { update(samples.data(), qint64(samples.size())); }

    // The held level, which is then cleared, in one step.
    float takePeak() noexcept;
    float level() const noexcept;
    void reset() noexcept;

private:
    std::atomic<std::uint32_t> m_storage { 0 }; // bit pattern of a float
};

} // namespace parlowind

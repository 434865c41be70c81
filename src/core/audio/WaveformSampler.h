#pragma once

#include <mutex>
#include <vector>

namespace parlowind {

// The last `barCount` bar heights, oldest first, scrolling by one per append.
// Safe to append on one thread and read on another.
class WaveformSampler final
{
public:
    explicit WaveformSampler(int barCount);

    int barCount() const { return m_barCount; }
    // Clamped to 0…1.
    void append(float height);
    std::vector<float> bars() const;
    void reset();

private:
    const int m_barCount;
    mutable std::mutex m_lock;
    std::vector<float> m_values;
    std::size_t m_oldest = 0; // ring start, so append does not shift the list
};

} // namespace parlowind

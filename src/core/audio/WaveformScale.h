#pragma once

namespace parlowind {

// Maps a level to a bar height on a decibel scale whose top follows the
// speaker: a loud frame lifts the ceiling at once, silence lets it sink, so
// quiet and loud voices both fill the bars. UI thread only.
class WaveformScale final
{
public:
    static constexpr float rangeDb = 28;
    static constexpr float silenceFloorDb = -60;
    static constexpr float minimumCeilingDb = -30;
    static constexpr float maximumCeilingDb = -6;
    static constexpr float ceilingDecayDbPerFrame = 0.35f;

    // Bar height 0…1 for one display frame's level; adapts the ceiling.
    float normalized(float level);
    float ceiling() const { return m_ceilingDb; }
    void reset() { m_ceilingDb = minimumCeilingDb; }

private:
    float m_ceilingDb = minimumCeilingDb;
};

} // namespace parlowind

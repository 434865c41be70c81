#include "WaveformScale.h"

#include <algorithm>
#include <cmath>

namespace parlowind {

float WaveformScale::normalized(float level)
{
    m_ceilingDb = std::max(m_ceilingDb - ceilingDecayDbPerFrame, minimumCeilingDb);
    if (!(level > 0))
        return 0;
    const float db = 20.0f * std::log10(level);
    if (db <= silenceFloorDb)
        return 0;
    m_ceilingDb = std::min(std::max(m_ceilingDb, db), maximumCeilingDb);
    return std::clamp((db - (m_ceilingDb - rangeDb)) / rangeDb, 0.0f, 1.0f);
}

} // namespace parlowind

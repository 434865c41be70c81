#pragma once

#include <QtGlobal>

namespace parlowind {

// One block of interleaved float frames as a device delivers it. `data` is
// null when the block carries no float samples (a gap, another layout).
struct AudioBlock
{
    const float *data = nullptr;
    qint64 frames = 0;
    int channels = 0;
};

namespace AudioDownmix {

// Writes at most `capacity` mono frames, each the plain average of the
// block's channels, and returns how many it wrote (0 for a block without
// float data or channels). Pure; safe on the audio thread.
qint64 downmixToMono(const AudioBlock &block, float *destination, qint64 capacity) noexcept;

} // namespace AudioDownmix
} // namespace parlowind

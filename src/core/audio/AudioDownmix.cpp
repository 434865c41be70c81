#include "AudioDownmix.h"

#include <algorithm>
#include <cstring>

namespace parlowind::AudioDownmix {

qint64 downmixToMono(const AudioBlock &block, float *destination, qint64 capacity) noexcept
{
    const qint64 n = std::min(capacity, block.frames);
    if (n <= 0 || block.data == nullptr || block.channels <= 0)
        return 0;
    const int c = block.channels;
    if (c == 1) {
        std::memcpy(destination, block.data, std::size_t(n) * sizeof(float));
        return n;
    }
    const float scale = 1.0f / float(c);
    const float *frame = block.data;
    for (qint64 i = 0; i < n; ++i, frame += c) {
        float sum = 0;
        for (int k = 0; k < c; ++k)
            sum += frame[k];
        destination[i] = sum * scale;
    }
    return n;
}

} // namespace parlowind::AudioDownmix

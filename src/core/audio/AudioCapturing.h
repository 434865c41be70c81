#pragma once

#include <vector>

namespace parlowind {

// A microphone recording. All sample-returning operations give 16 kHz mono
// 32-bit floats in -1…1.
class AudioCapturing
{
public:
    virtual ~AudioCapturing() = default;

    // Opens the microphone and begins a recording. Blocks for a bounded time
    // (well under a second); throws AudioCaptureError on failure, including
    // when a recording is already running.
    virtual void start() = 0;

    // Ends the recording; returns every sample since start() or the last
    // drain(). Empty when nothing is running.
    virtual std::vector<float> stop() = 0;

    // Every sample since start() or the previous drain(); the recording keeps
    // running. Empty when nothing is running or nothing new was captured.
    virtual std::vector<float> drain() = 0;

    // Ends the recording and throws its samples away.
    virtual void discard() = 0;

    virtual bool isRunning() const = 0;

    // Held input level, 0…1, for the waveform. Lock-free.
    virtual float inputLevel() const = 0;
};

} // namespace parlowind

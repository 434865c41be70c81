#pragma once

#include "AudioDownmix.h"
#include "AudioFormat.h"

#include <memory>

namespace parlowind {

// Receives captured blocks on the audio system's thread. Must not allocate,
// lock or log.
class AudioBlockReceiver
{
public:
    virtual ~AudioBlockReceiver() = default;
    virtual void receive(const AudioBlock &block) noexcept = 0;
};

// One recording's connection to the default microphone. A fresh engine is
// made for every recording and never reused. Every blocking call runs on a
// worker, never on the UI thread.
class AudioInputEngine
{
public:
    // Releases whatever the engine still holds; may block briefly.
    virtual ~AudioInputEngine() = default;

    // The default input's own rate and channel count. Blocking. Throws
    // AudioCaptureError::engineStartFailed when there is no usable input.
    virtual AudioFormat inputFormat() = 0;

    // Starts delivering blocks in inputFormat() to `receiver`, which the engine
    // keeps alive until it is stopped or destroyed. Blocking. Throws
    // AudioCaptureError::engineStartFailed and then delivers nothing.
    virtual void start(std::shared_ptr<AudioBlockReceiver> receiver) = 0;

    // Stops delivery and closes the input. Blocking; never throws.
    virtual void stop() noexcept = 0;
};

class AudioInputEngineFactory
{
public:
    virtual ~AudioInputEngineFactory() = default;
    // A new, unconnected engine. Does not block.
    virtual std::unique_ptr<AudioInputEngine> makeEngine() = 0;
};

} // namespace parlowind

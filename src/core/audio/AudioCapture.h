#pragma once

#include "AudioCapturing.h"
#include "AudioFormat.h"
#include "AudioInputEngine.h"
#include "AudioSampleBuffer.h"
#include "LevelMeter.h"

#include <QThreadPool>

#include <memory>
#include <mutex>
#include <optional>

namespace parlowind {

// The microphone recording behind AudioCapturing. Keeps what is heard at the
// device's own rate in a bounded buffer, feeds a level meter, and converts to
// 16 kHz mono only when samples are asked for.
//
// Starting an audio device can hang (a device switch, a stuck server), so the
// start runs on a private serial worker and the caller waits at most
// `startTimeout`; a late start is abandoned and closed when it finally
// returns. Stopping can be slow too, so teardown always runs in the
// background and nobody waits for it. Each recording gets a new engine.
class AudioCapture final : public AudioCapturing
{
public:
    static constexpr double startTimeout = 0.8;

    AudioCapture(std::shared_ptr<AudioInputEngineFactory> engines, std::shared_ptr<LevelMeter> levelMeter,
                 double maxSeconds);
    // Ends a running recording and waits for pending starts and teardowns.
    ~AudioCapture() override;
    AudioCapture(const AudioCapture &) = delete;
    AudioCapture &operator=(const AudioCapture &) = delete;

    void start() override;
    std::vector<float> stop() override;
    std::vector<float> drain() override;
    void discard() override;
    bool isRunning() const override;
    float inputLevel() const override;

    double maxSeconds() const { return m_maxSeconds; }

private:
    struct StartAttempt;
    void tearDown(std::unique_ptr<AudioInputEngine> engine);

    const std::shared_ptr<AudioInputEngineFactory> m_engines;
    const std::shared_ptr<LevelMeter> m_levelMeter;
    const double m_maxSeconds;
    QThreadPool m_engineQueue;
    QThreadPool m_teardownQueue;

    mutable std::mutex m_lock; // guards the fields below
    std::unique_ptr<AudioInputEngine> m_engine;
    std::shared_ptr<AudioSampleBuffer> m_buffer;
    std::optional<AudioFormat> m_monoHardwareFormat;
    bool m_running = false;
    bool m_starting = false;
};

} // namespace parlowind

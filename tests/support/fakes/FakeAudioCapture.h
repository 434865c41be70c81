#pragma once

#include "CallLog.h"
#include "audio/AudioCapturing.h"

#include <QString>

#include <memory>
#include <optional>

namespace parlowind::test {

// A microphone whose samples and level the test supplies. Records "capture.start",
// "capture.stop", "capture.drain" and "capture.discard" in the shared log.
class FakeAudioCapture final : public AudioCapturing
{
public:
    explicit FakeAudioCapture(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    // Throws FakeError(description) when start() was scripted to fail, or
    // when a recording is already running (as the real capture does).
    void start() override;
    std::vector<float> stop() override;
    std::vector<float> drain() override;
    void discard() override;
    bool isRunning() const override { return m_running; }
    float inputLevel() const override { return m_level; }

    // Appends `count` samples of `value` to what the running recording holds.
    void feed(std::size_t count, float value = 0.1f);
    void setInputLevel(float level) { m_level = level; }
    void failNextStart(QString description) { m_startFailure = std::move(description); }
    // The recording ends without anyone calling stop() (a device went away).
    void stopUnderneath();

    int startCount() const { return m_starts; }
    std::size_t bufferedSamples() const { return m_buffer.size(); }

private:
    void record(const char *call);

    std::shared_ptr<CallLog> m_log;
    bool m_running = false;
    float m_level = 0;
    int m_starts = 0;
    std::vector<float> m_buffer;
    std::optional<QString> m_startFailure;
};

} // namespace parlowind::test

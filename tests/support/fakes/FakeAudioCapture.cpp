#include "FakeAudioCapture.h"

#include "FakeError.h"

#include <utility>

namespace parlowind::test {

void FakeAudioCapture::record(const char *call)
{
    if (m_log)
        m_log->record(QString::fromLatin1(call));
}

void FakeAudioCapture::start()
{
    record("capture.start");
    if (auto failure = std::exchange(m_startFailure, std::nullopt))
        throw FakeError(*failure);
    if (m_running)
        throw FakeError(QStringLiteral("already recording"));
    m_running = true;
    ++m_starts;
    m_buffer.clear();
}

std::vector<float> FakeAudioCapture::stop()
{
    record("capture.stop");
    const bool wasRunning = std::exchange(m_running, false);
    std::vector<float> samples = std::exchange(m_buffer, {});
    return wasRunning ? samples : std::vector<float>();
}

std::vector<float> FakeAudioCapture::drain()
{
    record("capture.drain");
    if (!m_running)
        return {};
    return std::exchange(m_buffer, {});
}

void FakeAudioCapture::discard()
{
    record("capture.discard");
    m_running = false;
    m_buffer.clear();
}

void FakeAudioCapture::feed(std::size_t count, float value)
{
    if (m_running)
        m_buffer.insert(m_buffer.end(), count, value);
}

void FakeAudioCapture::stopUnderneath()
{
    m_running = false;
    m_buffer.clear();
}

} // namespace parlowind::test

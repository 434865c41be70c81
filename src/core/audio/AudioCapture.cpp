#include "AudioCapture.h"

#include "AudioCaptureError.h"
#include "AudioFormatConverter.h"
#include "support/Log.h"

#include <condition_variable>

namespace parlowind {

namespace {

// Largest block handed to the buffer in one go; larger device blocks are
// taken in several slices rather than cut short.
constexpr qint64 scratchFrames = 8192;

// What the audio thread does with each block: downmix, store, meter.
class CaptureTap final : public AudioBlockReceiver
{
public:
    CaptureTap(std::shared_ptr<AudioSampleBuffer> buffer, std::shared_ptr<LevelMeter> meter)
        : m_buffer(std::move(buffer))
        , m_meter(std::move(meter))
        , m_scratch(new float[scratchFrames])
    { }

    void receive(const AudioBlock &block) noexcept override
    {
        if (block.data == nullptr || block.channels <= 0)
            return;
        for (qint64 offset = 0; offset < block.frames;) {
            const AudioBlock slice { block.data + offset * block.channels, block.frames - offset, block.channels };
            const qint64 n = AudioDownmix::downmixToMono(slice, m_scratch.get(), scratchFrames);
            if (n <= 0)
                return;
            m_buffer->append(m_scratch.get(), n);
            m_meter->update(m_scratch.get(), n);
            offset += n;
        }
    }

private:
    const std::shared_ptr<AudioSampleBuffer> m_buffer;
    const std::shared_ptr<LevelMeter> m_meter;
    // Per recording, so a stream still stopping never shares it with the next.
    const std::unique_ptr<float[]> m_scratch;
};

} // namespace

// Shared between the waiting caller and the start worker. The worker writes
// the outcome; the caller reads it only once `done` is set.
struct AudioCapture::StartAttempt
{
    std::mutex mutex;
    std::condition_variable signal;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<AudioInputEngine> engine;
    std::exception_ptr error;
    std::shared_ptr<AudioSampleBuffer> buffer;
    std::optional<AudioFormat> format;
};

AudioCapture::AudioCapture(std::shared_ptr<AudioInputEngineFactory> engines, std::shared_ptr<LevelMeter> levelMeter,
                           double maxSeconds)
    : m_engines(std::move(engines))
    , m_levelMeter(std::move(levelMeter))
    , m_maxSeconds(maxSeconds)
{
    m_engineQueue.setObjectName(QStringLiteral("com.ovantic.parlowind.audio-engine"));
    m_engineQueue.setMaxThreadCount(1);
    m_teardownQueue.setObjectName(QStringLiteral("com.ovantic.parlowind.audio-teardown"));
    m_teardownQueue.setMaxThreadCount(4);
}

AudioCapture::~AudioCapture()
{
    discard();
    m_engineQueue.waitForDone();
    m_teardownQueue.waitForDone();
}

void AudioCapture::start()
{
    {
        std::lock_guard guard(m_lock);
        if (m_running || m_starting)
            throw AudioCaptureError::alreadyRunning();
        m_starting = true;
    }
    struct StartingFlag
    {
        AudioCapture *self;
        ~StartingFlag()
        {
            std::lock_guard guard(self->m_lock);
            self->m_starting = false;
        }
    } startingFlag { this };

    m_levelMeter->reset();

    auto attempt = std::make_shared<StartAttempt>();
    attempt->engine = m_engines->makeEngine();
    m_engineQueue.start([attempt, meter = m_levelMeter, maxSeconds = m_maxSeconds] {
        {
            std::lock_guard guard(attempt->mutex);
            if (attempt->abandoned) { // gave up on while queued behind a hung start
                attempt->engine.reset();
                return;
            }
        }
        AudioInputEngine &engine = *attempt->engine;
        std::exception_ptr error;
        std::shared_ptr<AudioSampleBuffer> buffer;
        std::optional<AudioFormat> format;
        bool started = false;
        try {
            const AudioFormat hardware = engine.inputFormat();
            if (!hardware.isUsable())
                throw AudioCaptureError::engineStartFailed(
                    QStringLiteral("input has %1 Hz and %2 channels").arg(hardware.sampleRate).arg(hardware.channels));
            auto newBuffer = std::make_shared<AudioSampleBuffer>(maxSeconds, hardware.sampleRate);
            engine.start(std::make_shared<CaptureTap>(newBuffer, meter));
            started = true;
            buffer = std::move(newBuffer);
            format = AudioFormat { hardware.sampleRate, 1 };
        } catch (const AudioCaptureError &) {
            error = std::current_exception();
        } catch (const std::exception &other) {
            error = std::make_exception_ptr(AudioCaptureError::engineStartFailed(describeForLog(other)));
        } catch (...) {
            error = std::make_exception_ptr(AudioCaptureError::engineStartFailed());
        }

        std::unique_lock guard(attempt->mutex);
        if (attempt->abandoned) {
            // Nobody waits any more: close the microphone again.
            std::unique_ptr<AudioInputEngine> late = std::move(attempt->engine);
            guard.unlock();
            if (started)
                late->stop();
            return;
        }
        attempt->error = error;
        attempt->buffer = std::move(buffer);
        attempt->format = format;
        attempt->done = true;
        attempt->signal.notify_all();
    });

    std::unique_lock wait(attempt->mutex);
    const bool done
        = attempt->signal.wait_for(wait, std::chrono::duration<double>(startTimeout), [&] { return attempt->done; });
    if (!done) {
        attempt->abandoned = true;
        wait.unlock();
        log(QStringLiteral("AudioCapture: engine did not start within %1s; abandoning it")
                .arg(QString::number(startTimeout)));
        throw AudioCaptureError::startTimedOut();
    }
    std::unique_ptr<AudioInputEngine> engine = std::move(attempt->engine);
    wait.unlock();

    if (attempt->error)
        std::rethrow_exception(attempt->error);
    if (!attempt->buffer || !attempt->format) {
        tearDown(std::move(engine));
        throw AudioCaptureError::engineStartFailed(QStringLiteral("the start left no buffer behind"));
    }
    std::lock_guard guard(m_lock);
    m_engine = std::move(engine);
    m_buffer = attempt->buffer;
    m_monoHardwareFormat = attempt->format;
    m_running = true;
}

std::vector<float> AudioCapture::stop()
{
    std::unique_ptr<AudioInputEngine> engine;
    std::vector<float> result;
    {
        std::lock_guard guard(m_lock);
        if (!m_running)
            return {};
        m_running = false;
        engine = std::move(m_engine);
        if (m_buffer && m_monoHardwareFormat) {
            const std::vector<float> taken = m_buffer->take();
            if (!taken.empty())
                result = convertTakeToWhisperFormat(taken, *m_monoHardwareFormat);
        }
        m_buffer.reset();
        m_monoHardwareFormat.reset();
    }
    tearDown(std::move(engine));
    return result;
}

std::vector<float> AudioCapture::drain()
{
    std::lock_guard guard(m_lock);
    if (!m_running || !m_buffer || !m_monoHardwareFormat)
        return {};
    const std::vector<float> taken = m_buffer->take();
    if (taken.empty())
        return {};
    return convertTakeToWhisperFormat(taken, *m_monoHardwareFormat);
}

void AudioCapture::discard()
{
    std::unique_ptr<AudioInputEngine> engine;
    {
        std::lock_guard guard(m_lock);
        if (!m_running)
            return;
        m_running = false;
        engine = std::move(m_engine);
        m_buffer.reset();
        m_monoHardwareFormat.reset();
    }
    tearDown(std::move(engine));
}

bool AudioCapture::isRunning() const
{
    std::lock_guard guard(m_lock);
    return m_running;
}

float AudioCapture::inputLevel() const
{
    return m_levelMeter->level();
}

void AudioCapture::tearDown(std::unique_ptr<AudioInputEngine> engine)
{
    if (!engine)
        return;
    // QThreadPool wants a copyable job.
    std::shared_ptr<AudioInputEngine> shared(std::move(engine));
    m_teardownQueue.start([shared]() mutable {
        shared->stop();
        shared.reset();
    });
}

} // namespace parlowind

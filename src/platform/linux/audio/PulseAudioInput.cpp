#include "PulseAudioInput.h"

#include "PulseConnection.h"
#include "audio/AudioCaptureError.h"

#include <QLoggingCategory>

#include <atomic>

namespace parlowind {

namespace {

Q_LOGGING_CATEGORY(lcPulseInput, "parlowind.audio", QtInfoMsg)

// Each blocking step waits at most this long, so a stuck server delays later
// starts by a bounded time only.
constexpr double serverTimeout = 3.0;
// Frames per block we ask the server for.
constexpr quint32 requestedBlockFrames = 1024;

class PulseAudioInputEngine final : public AudioInputEngine
{
public:
    explicit PulseAudioInputEngine(QString streamName)
        : m_streamName(std::move(streamName))
    { }

    ~PulseAudioInputEngine() override { stop(); }

    AudioFormat inputFormat() override
    {
        try {
            m_connection = std::make_unique<PulseConnection>(QByteArrayLiteral("Parlowind"));
            m_connection->connect(serverTimeout);
            PulseConnection::Lock lock(*m_connection);
            const QByteArray name = m_connection->defaultSourceName(serverTimeout);
            if (name.isEmpty())
                throw AudioCaptureError::engineStartFailed(QStringLiteral("the audio server has no default input"));
            const auto source = m_connection->sourceInfo(name, serverTimeout);
            if (!source)
                throw AudioCaptureError::engineStartFailed(
                    QStringLiteral("the default input %1 does not exist").arg(QString::fromUtf8(name)));
            // Without a microphone the server may fall back to a speaker
            // monitor; recording it would type out whatever is playing.
            if (source->isMonitor)
                throw AudioCaptureError::engineStartFailed(
                    QStringLiteral("the default input %1 is a speaker monitor, not a microphone")
                        .arg(QString::fromUtf8(name)));
            m_source = *source;
            return { double(source->sampleSpec.rate), int(source->sampleSpec.channels) };
        } catch (const PulseError &error) {
            throw AudioCaptureError::engineStartFailed(QString::fromUtf8(error.what()));
        }
    }

    void start(std::shared_ptr<AudioBlockReceiver> receiver) override
    {
        if (!m_connection || !m_source)
            throw AudioCaptureError::engineStartFailed(QStringLiteral("no input was chosen"));
        PulseConnection::Lock lock(*m_connection);
        const pa_sample_spec spec { PA_SAMPLE_FLOAT32NE, m_source->sampleSpec.rate, m_source->sampleSpec.channels };
        m_channels = spec.channels;
        pa_channel_map map = m_source->channelMap;
        if (!pa_channel_map_compatible(&map, &spec))
            pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
        const QByteArray name = m_streamName.toUtf8();
        m_stream = pa_stream_new(m_connection->context(), name.constData(), &spec, &map);
        if (!m_stream)
            throw AudioCaptureError::engineStartFailed(m_connection->lastError());
        m_receiver = std::move(receiver);
        pa_stream_set_state_callback(m_stream, &PulseAudioInputEngine::onStreamState, this);
        pa_stream_set_read_callback(m_stream, &PulseAudioInputEngine::onReadable, this);

        pa_buffer_attr attributes;
        attributes.maxlength = quint32(-1);
        attributes.tlength = quint32(-1);
        attributes.prebuf = quint32(-1);
        attributes.minreq = quint32(-1);
        attributes.fragsize = quint32(pa_frame_size(&spec) * requestedBlockFrames);
        const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_record(m_stream, m_source->name.constData(), &attributes, flags) < 0) {
            const QString reason = m_connection->lastError();
            dropStream();
            throw AudioCaptureError::engineStartFailed(reason);
        }
        const bool settled = m_connection->waitUntil(
            [this] {
                const pa_stream_state_t state = pa_stream_get_state(m_stream);
                return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
            },
            serverTimeout);
        if (!settled || pa_stream_get_state(m_stream) != PA_STREAM_READY) {
            const QString reason
                = settled ? m_connection->lastError() : QStringLiteral("the record stream did not start in time");
            dropStream();
            throw AudioCaptureError::engineStartFailed(reason);
        }
        qCDebug(lcPulseInput) << "recording from" << m_source->name << spec.rate << "Hz" << spec.channels << "channels";
    }

    void stop() noexcept override
    {
        if (!m_connection)
            return;
        {
            PulseConnection::Lock lock(*m_connection);
            dropStream();
        }
        m_connection.reset(); // disconnects and joins the loop thread
        m_receiver.reset();
    }

private:
    // With the lock held.
    void dropStream() noexcept
    {
        if (!m_stream)
            return;
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }

    static void onStreamState(pa_stream *, void *self)
    {
        static_cast<PulseAudioInputEngine *>(self)->m_connection->signal();
    }

    // The audio thread: no allocation, no lock of ours, no logging.
    static void onReadable(pa_stream *stream, size_t, void *data)
    {
        auto *self = static_cast<PulseAudioInputEngine *>(data);
        const void *bytes = nullptr;
        size_t length = 0;
        while (pa_stream_readable_size(stream) > 0) {
            if (pa_stream_peek(stream, &bytes, &length) < 0 || length == 0)
                return;
            if (bytes) // a hole (lost data) has no bytes: skip it
                self->m_receiver->receive({ static_cast<const float *>(bytes),
                                            qint64(length / (sizeof(float) * self->m_channels)), self->m_channels });
            pa_stream_drop(stream);
        }
    }

    QString m_streamName;
    std::unique_ptr<PulseConnection> m_connection;
    std::optional<PulseConnection::SourceInfo> m_source;
    pa_stream *m_stream = nullptr;
    int m_channels = 1;
    std::shared_ptr<AudioBlockReceiver> m_receiver;
};

} // namespace

PulseAudioInput::PulseAudioInput(QString streamName)
    : m_streamName(std::move(streamName))
{ }

std::unique_ptr<AudioInputEngine> PulseAudioInput::makeEngine()
{
    return std::make_unique<PulseAudioInputEngine>(m_streamName);
}

} // namespace parlowind

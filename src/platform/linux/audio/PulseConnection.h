#pragma once

#include <pulse/pulseaudio.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

namespace parlowind {

// A failure talking to the audio server, with the server's own words.
class PulseError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A private connection to the PulseAudio server (or pipewire-pulse): its own
// threaded main loop and context. Blocking calls wait with a deadline, never
// forever, because a stuck server must not wedge a worker for good. Not for
// use on the main loop's own thread.
class PulseConnection final
{
public:
    explicit PulseConnection(const QByteArray &clientName);
    // Disconnects and joins the loop thread.
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Connects to the default server. Throws PulseError.
    void connect(double timeoutSeconds);
    bool isConnected() const;

    pa_threaded_mainloop *loop() const { return m_loop; }
    pa_context *context() const { return m_context; }

    // Holds the loop's lock: every libpulse call outside callbacks needs it.
    class Lock
    {
    public:
        explicit Lock(const PulseConnection &connection)
            : m_loop(connection.m_loop)
        {
            pa_threaded_mainloop_lock(m_loop);
        }
        ~Lock() { pa_threaded_mainloop_unlock(m_loop); }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pa_threaded_mainloop *m_loop;
    };

    // With the lock held: waits until `done` is true or `timeoutSeconds`
    // pass. Callbacks wake the waiter through signal().
    bool waitUntil(const std::function<bool()> &done, double timeoutSeconds);
    void signal() { pa_threaded_mainloop_signal(m_loop, 0); }

    // With the lock held: runs an introspection operation to completion.
    // Throws PulseError when it fails or takes longer than the deadline.
    void await(pa_operation *operation, double timeoutSeconds, const char *what);

    // The context's last error as text.
    QString lastError() const;

    struct SourceInfo
    {
        QByteArray name;
        quint32 index = PA_INVALID_INDEX;
        pa_sample_spec sampleSpec {};
        pa_channel_map channelMap {};
        bool isMonitor = false;
        QString description;
    };
    // With the lock held. The default source's name (empty when the server
    // has none), one source's description, every source.
    QByteArray defaultSourceName(double timeoutSeconds);
    std::optional<SourceInfo> sourceInfo(const QByteArray &name, double timeoutSeconds);
    std::vector<SourceInfo> sources(double timeoutSeconds);

    static SourceInfo toSourceInfo(const pa_source_info &info);

private:
    static void onContextState(pa_context *context, void *self);

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
};

} // namespace parlowind

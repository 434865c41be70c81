#include "PulseConnection.h"

#include <pulse/rtclock.h>

namespace parlowind {

PulseConnection::PulseConnection(const QByteArray &clientName)
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        throw PulseError("cannot create the audio main loop");
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), clientName.constData());
    if (!m_context) {
        pa_threaded_mainloop_free(m_loop);
        throw PulseError("cannot create an audio server context");
    }
    pa_context_set_state_callback(m_context, &PulseConnection::onContextState, this);
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_loop);
        throw PulseError("cannot start the audio main loop thread");
    }
}

PulseConnection::~PulseConnection()
{
    {
        Lock lock(*this);
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

void PulseConnection::onContextState(pa_context *, void *self)
{
    static_cast<PulseConnection *>(self)->signal();
}

void PulseConnection::connect(double timeoutSeconds)
{
    Lock lock(*this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        throw PulseError(QStringLiteral("cannot reach the audio server: %1").arg(lastError()).toStdString());
    const bool settled = waitUntil(
        [this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        },
        timeoutSeconds);
    if (!settled)
        throw PulseError("the audio server did not answer in time");
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY)
        throw PulseError(QStringLiteral("cannot reach the audio server: %1").arg(lastError()).toStdString());
}

bool PulseConnection::isConnected() const
{
    Lock lock(*this);
    return pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool PulseConnection::waitUntil(const std::function<bool()> &done, double timeoutSeconds)
{
    // A timer on the loop wakes the waiter at the deadline.
    struct Alarm
    {
        PulseConnection *self;
        bool rang = false;
    } alarm { this };
    const pa_usec_t deadline = pa_rtclock_now() + pa_usec_t(timeoutSeconds * PA_USEC_PER_SEC);
    pa_time_event *timer = pa_context_rttime_new(
        m_context, deadline,
        [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *data) {
            auto *a = static_cast<Alarm *>(data);
            a->rang = true;
            a->self->signal();
        },
        &alarm);
    bool result = done();
    while (!result && !alarm.rang && pa_rtclock_now() < deadline) {
        pa_threaded_mainloop_wait(m_loop);
        result = done();
    }
    if (timer)
        pa_threaded_mainloop_get_api(m_loop)->time_free(timer);
    return result;
}

void PulseConnection::await(pa_operation *operation, double timeoutSeconds, const char *what)
{
    if (!operation)
        throw PulseError(QStringLiteral("%1 failed: %2").arg(QString::fromUtf8(what), lastError()).toStdString());
    const bool finished
        = waitUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; }, timeoutSeconds);
    if (!finished)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    if (!finished)
        throw PulseError(QStringLiteral("%1 took too long").arg(QString::fromUtf8(what)).toStdString());
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY)
        throw PulseError(QStringLiteral("%1 failed: %2").arg(QString::fromUtf8(what), lastError()).toStdString());
}

QString PulseConnection::lastError() const
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(m_context)));
}

PulseConnection::SourceInfo PulseConnection::toSourceInfo(const pa_source_info &info)
{
    SourceInfo out;
    out.name = QByteArray(info.name ? info.name : "");
    out.index = info.index;
    out.sampleSpec = info.sample_spec;
    out.channelMap = info.channel_map;
    out.isMonitor = info.monitor_of_sink != PA_INVALID_INDEX;
    out.description = QString::fromUtf8(info.description ? info.description : "");
    return out;
}

QByteArray PulseConnection::defaultSourceName(double timeoutSeconds)
{
    struct Result
    {
        PulseConnection *self;
        QByteArray name;
    } result { this, {} };
    pa_operation *op = pa_context_get_server_info(
        m_context,
        [](pa_context *, const pa_server_info *info, void *data) {
            auto *r = static_cast<Result *>(data);
            if (info && info->default_source_name)
                r->name = QByteArray(info->default_source_name);
            r->self->signal();
        },
        &result);
    await(op, timeoutSeconds, "asking the audio server for its default input");
    return result.name;
}

namespace {
struct SourceList
{
    PulseConnection *self;
    std::vector<PulseConnection::SourceInfo> sources;
};

void collectSource(pa_context *, const pa_source_info *info, int eol, void *data)
{
    auto *list = static_cast<SourceList *>(data);
    if (eol == 0 && info)
        list->sources.push_back(PulseConnection::toSourceInfo(*info));
    else
        list->self->signal();
}
} // namespace

std::optional<PulseConnection::SourceInfo> PulseConnection::sourceInfo(const QByteArray &name, double timeoutSeconds)
{
    SourceList list { this, {} };
    pa_operation *op = pa_context_get_source_info_by_name(m_context, name.constData(), &collectSource, &list);
    // A missing source ends the operation with an empty list.
    await(op, timeoutSeconds, "asking the audio server about the input");
    if (list.sources.empty())
        return std::nullopt;
    return list.sources.front();
}

std::vector<PulseConnection::SourceInfo> PulseConnection::sources(double timeoutSeconds)
{
    SourceList list { this, {} };
    pa_operation *op = pa_context_get_source_info_list(m_context, &collectSource, &list);
    await(op, timeoutSeconds, "listing the audio inputs");
    return std::move(list.sources);
}

} // namespace parlowind

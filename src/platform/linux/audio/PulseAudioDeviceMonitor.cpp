#include "PulseAudioDeviceMonitor.h"

#include "PulseConnection.h"
#include "support/Log.h"

#include <QCoreApplication>
#include <QPointer>

#include <map>

namespace parlowind {

namespace {
constexpr double serverTimeout = 3.0;
constexpr int retryMilliseconds = 2000;
} // namespace

// State kept on the audio server's loop thread; only touched there (or
// before the subscription starts).
struct PulseAudioDeviceMonitor::Tracker
{
    PulseAudioDeviceMonitor *monitor = nullptr;
    pa_context *context = nullptr;
    QByteArray ownProcessId;
    std::map<quint32, bool> sourceIsMonitor;
    std::map<quint32, QByteArray> sourceNames;
    QByteArray defaultSource;
    std::map<quint32, quint32> ourOutputs; // source output → its source
    bool ready = false;

    void post(const QString &what)
    {
        QMetaObject::invokeMethod(
            monitor, [m = monitor, what] { m->noteChange(what); }, Qt::QueuedConnection);
    }

    void onEvent(pa_subscription_event_type_t type, quint32 index)
    {
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
            if (kind == PA_SUBSCRIPTION_EVENT_NEW)
                unref(pa_context_get_source_info_by_index(context, index, &Tracker::onNewSource, this));
            else if (kind == PA_SUBSCRIPTION_EVENT_REMOVE)
                removeSource(index);
        } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
            unref(pa_context_get_server_info(context, &Tracker::onServerInfo, this));
        } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT) {
            if (kind == PA_SUBSCRIPTION_EVENT_REMOVE)
                ourOutputs.erase(index);
            else
                unref(pa_context_get_source_output_info(context, index, &Tracker::onSourceOutput, this));
        }
    }

    static void unref(pa_operation *operation)
    {
        if (operation)
            pa_operation_unref(operation);
    }

    void removeSource(quint32 index)
    {
        const auto found = sourceIsMonitor.find(index);
        if (found == sourceIsMonitor.end())
            return;
        const bool wasMonitor = found->second;
        sourceIsMonitor.erase(found);
        const QByteArray name = sourceNames[index];
        sourceNames.erase(index);
        if (!wasMonitor)
            post(QStringLiteral("input %1 removed").arg(QString::fromUtf8(name)));
    }

    static void onNewSource(pa_context *, const pa_source_info *info, int eol, void *data)
    {
        if (eol != 0 || !info)
            return;
        auto *self = static_cast<Tracker *>(data);
        const bool isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
        const bool known = self->sourceIsMonitor.contains(info->index);
        self->sourceIsMonitor[info->index] = isMonitor;
        self->sourceNames[info->index] = QByteArray(info->name ? info->name : "");
        if (!known && !isMonitor)
            self->post(QStringLiteral("input %1 added").arg(QString::fromUtf8(info->name ? info->name : "")));
    }

    static void onServerInfo(pa_context *, const pa_server_info *info, void *data)
    {
        if (!info)
            return;
        auto *self = static_cast<Tracker *>(data);
        const QByteArray current(info->default_source_name ? info->default_source_name : "");
        if (current == self->defaultSource)
            return;
        self->defaultSource = current;
        self->post(QStringLiteral("default input is now %1").arg(QString::fromUtf8(current)));
    }

    static void onSourceOutput(pa_context *, const pa_source_output_info *info, int eol, void *data)
    {
        if (eol != 0 || !info)
            return;
        auto *self = static_cast<Tracker *>(data);
        const char *pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
        if (!pid || self->ownProcessId != pid)
            return;
        const auto known = self->ourOutputs.find(info->index);
        if (known != self->ourOutputs.end() && known->second != info->source) {
            const auto name = self->sourceNames.find(info->source);
            self->post(QStringLiteral("our recording was moved to %1")
                           .arg(name != self->sourceNames.end() ? QString::fromUtf8(name->second)
                                                                : QString::number(info->source)));
        }
        self->ourOutputs[info->index] = info->source;
    }

    static void onContextState(pa_context *context, void *data)
    {
        auto *self = static_cast<Tracker *>(data);
        const pa_context_state_t state = pa_context_get_state(context);
        if (self->ready && !PA_CONTEXT_IS_GOOD(state)) {
            self->ready = false;
            QMetaObject::invokeMethod(
                self->monitor, [m = self->monitor] { m->connectionLost(); }, Qt::QueuedConnection);
        }
    }
};

PulseAudioDeviceMonitor::PulseAudioDeviceMonitor(QObject *parent)
    : QObject(parent)
{
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(coalesceMilliseconds);
    connect(&m_coalesce, &QTimer::timeout, this, &PulseAudioDeviceMonitor::report);
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryMilliseconds);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (!m_connection && start())
            noteChange(QStringLiteral("the audio server is back"));
    });
}

PulseAudioDeviceMonitor::~PulseAudioDeviceMonitor()
{
    m_connection.reset(); // joins the loop thread before the tracker goes
}

bool PulseAudioDeviceMonitor::start()
{
    if (m_connection)
        return true;
    try {
        // Declared first so it outlives the connection that calls into it.
        auto tracker = std::make_unique<Tracker>();
        auto connection = std::make_unique<PulseConnection>(QByteArrayLiteral("Parlowind device monitor"));
        connection->connect(serverTimeout);
        tracker->monitor = this;
        tracker->context = connection->context();
        tracker->ownProcessId = QByteArray::number(QCoreApplication::applicationPid());
        {
            PulseConnection::Lock lock(*connection);
            for (const auto &source : connection->sources(serverTimeout)) {
                tracker->sourceIsMonitor[source.index] = source.isMonitor;
                tracker->sourceNames[source.index] = source.name;
            }
            tracker->defaultSource = connection->defaultSourceName(serverTimeout);
            Tracker *raw = tracker.get();
            pa_context_set_subscribe_callback(
                connection->context(),
                [](pa_context *, pa_subscription_event_type_t type, uint32_t index, void *data) {
                    static_cast<Tracker *>(data)->onEvent(type, index);
                },
                raw);
            pa_context_set_state_callback(connection->context(), &Tracker::onContextState, raw);
            raw->ready = true;
            const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER
                                                     | PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT);
            connection->await(pa_context_subscribe(
                                  connection->context(), mask,
                                  [](pa_context *, int, void *data) { static_cast<PulseConnection *>(data)->signal(); },
                                  connection.get()),
                              serverTimeout, "subscribing to audio device events");
            // Streams of ours that already run.
            Tracker::unref(
                pa_context_get_source_output_info_list(connection->context(), &Tracker::onSourceOutput, raw));
        }
        m_tracker = std::move(tracker);
        m_connection = std::move(connection);
        return true;
    } catch (const std::exception &error) {
        logError(QStringLiteral("AudioDeviceMonitor: cannot watch audio devices"), error);
        m_retry.start();
        return false;
    }
}

void PulseAudioDeviceMonitor::noteChange(const QString &what)
{
    m_pendingReasons.append(what);
    if (!m_coalesce.isActive())
        m_coalesce.start();
}

void PulseAudioDeviceMonitor::connectionLost()
{
    log(QStringLiteral("AudioDeviceMonitor: lost the audio server"));
    m_connection.reset();
    m_tracker.reset();
    noteChange(QStringLiteral("the audio server went away"));
    m_retry.start();
}

void PulseAudioDeviceMonitor::report()
{
    log(QStringLiteral("AudioDeviceMonitor: input configuration changed (%1)")
            .arg(m_pendingReasons.join(QStringLiteral("; "))));
    m_pendingReasons.clear();
    Q_EMIT inputConfigurationChanged();
}

} // namespace parlowind

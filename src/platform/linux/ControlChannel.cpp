#include "ControlChannel.h"

#include "support/Log.h"

#include <QDBusConnectionInterface>

namespace parlowind {

ControlChannelService::ControlChannelService(Deliver deliver, QObject *parent)
    : QObject(parent)
    , m_deliver(std::move(deliver))
{ }

ControlChannelService::~ControlChannelService()
{
    unpublish();
}

bool ControlChannelService::publish(QDBusConnection connection)
{
    if (!connection.isConnected()) {
        log(QStringLiteral("WARNING: ControlChannel: no session bus; parlowind ptt cannot reach this instance"));
        return false;
    }
    if (!connection.registerObject(ControlChannel::objectPath, this, QDBusConnection::ExportScriptableSlots)) {
        log(QStringLiteral("WARNING: ControlChannel: %1 is already exported").arg(ControlChannel::objectPath));
        return false;
    }
    if (!connection.registerService(ControlChannel::serviceName)) {
        connection.unregisterObject(ControlChannel::objectPath);
        log(QStringLiteral("WARNING: ControlChannel: %1 is owned by another process").arg(ControlChannel::serviceName));
        return false;
    }
    m_connection = connection;
    return true;
}

void ControlChannelService::unpublish()
{
    if (!m_connection)
        return;
    m_connection->unregisterService(ControlChannel::serviceName);
    m_connection->unregisterObject(ControlChannel::objectPath);
    m_connection.reset();
}

bool ControlChannelService::Press()
{
    return run(RemoteKeyCommand::press);
}

bool ControlChannelService::Release()
{
    return run(RemoteKeyCommand::release);
}

bool ControlChannelService::Toggle()
{
    return run(RemoteKeyCommand::toggle);
}

bool ControlChannelService::Cancel()
{
    run(RemoteKeyCommand::cancel);
    return true;
}

bool ControlChannelService::run(RemoteKeyCommand command)
{
    log(QStringLiteral("Control channel: ptt %1").arg(nameOf(command)));
    const bool wasHeld = m_control.isHeld();
    bool delivered = true;
    for (const auto &[id, phase] : m_control.apply(command))
        delivered = (m_deliver && m_deliver(id, phase)) && delivered;
    if (!delivered && command != RemoteKeyCommand::cancel) {
        // Nobody took the press: do not wait for a release of it.
        if (!wasHeld)
            m_control = RemoteKeyControl();
        return false;
    }
    return true;
}

} // namespace parlowind

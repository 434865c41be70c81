#include "Command.h"

#include "ControlChannel.h"
#include "hotkeys/RemoteKeyControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace parlowind::cli {

namespace {
// A running instance answers at once; a hung one must not hang the binding.
constexpr int replyTimeoutMs = 5000;

QString methodFor(RemoteKeyCommand command)
{
    QString name = nameOf(command);
    name[0] = name[0].toUpper();
    return name;
}

ExitCode runPtt(const QStringList &arguments)
{
    const auto command = arguments.size() == 1 ? remoteKeyCommandFromName(arguments.first()) : std::nullopt;
    if (!command)
        throw CommandError(QStringLiteral("usage: parlowind ptt press|release|toggle|cancel"), ExitCode::usage);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        throw CommandError(QStringLiteral("no D-Bus session bus, so no running Parlowind can be reached"),
                           ExitCode::unavailable);
    if (!bus.interface()->isServiceRegistered(ControlChannel::serviceName))
        throw CommandError(QStringLiteral("Parlowind is not running"), ExitCode::unavailable);

    const QDBusMessage call = QDBusMessage::createMethodCall(ControlChannel::serviceName, ControlChannel::objectPath,
                                                             ControlChannel::interfaceName, methodFor(*command));
    const QDBusReply<bool> reply = bus.call(call, QDBus::Block, replyTimeoutMs);
    if (!reply.isValid())
        throw CommandError(QStringLiteral("the running Parlowind did not answer: %1").arg(reply.error().message()),
                           ExitCode::unavailable);
    if (!reply.value())
        throw CommandError(QStringLiteral("the running Parlowind is not taking dictation now (turned off or still "
                                          "starting)"));
    return ExitCode::ok;
}
} // namespace

Command pttCommand()
{
    return Command {
        QStringLiteral("ptt"),
        QStringLiteral("ptt press|release|toggle|cancel"),
        QStringLiteral("drive dictation in the running instance, as the dictation key would"),
        runPtt,
    };
}

} // namespace parlowind::cli

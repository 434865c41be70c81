#include "AtspiAccessibility.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace parlowind {

namespace {

const QString service = QStringLiteral("org.a11y.Bus");
const QString path = QStringLiteral("/org/a11y/bus");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// The bus is D-Bus activated: its first answer may take a moment.
constexpr int timeoutMs = 3000;

QDBusMessage call(const QString &interface, const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, timeoutMs);
}

} // namespace

bool AtspiAccessibility::isBusReachable()
{
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    const QDBusMessage reply = call(QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && !reply.arguments().first().toString().isEmpty();
}

bool AtspiAccessibility::isEnabled()
{
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    const QDBusMessage reply
        = call(propertiesInterface, QStringLiteral("Get"), { statusInterface, QStringLiteral("IsEnabled") });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

bool AtspiAccessibility::enable()
{
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    const QDBusMessage reply
        = call(propertiesInterface, QStringLiteral("Set"),
               { statusInterface, QStringLiteral("IsEnabled"), QVariant::fromValue(QDBusVariant(true)) });
    return reply.type() == QDBusMessage::ReplyMessage && isEnabled();
}

QString AtspiAccessibility::problemDescription()
{
    if (!isBusReachable())
        return QStringLiteral("The accessibility service (at-spi2-core) is not running in this session. Install it "
                              "(sudo apt install at-spi2-core), then log out and back in.");
    if (!isEnabled())
        return QStringLiteral("Accessibility is switched off for this session, so many applications do not show "
                              "Parlowind their text fields. Parlowind can switch it on for you.");
    return {};
}

} // namespace parlowind

#include "PortalHotkeyEngine.h"

#include "hotkeys/HotkeyError.h"
#include "support/Log.h"

#include <QCoro/QCoroDBusPendingCall>
#include <QCoro/QCoroSignal>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QPointer>

#include <chrono>
#include <variant>

namespace parlowind {

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

namespace {
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int callTimeoutMs = 5000;
// The desktop may show a dialog and wait for the user.
constexpr std::chrono::minutes answerTimeout { 2 };

QString shortcutId(HotkeyID id)
{
    return rawName(id);
}

// Receives the Response signal of one portal request.
class PortalResponse final : public QObject
{
    Q_OBJECT
public:
    std::optional<std::pair<uint, QVariantMap>> result;

public Q_SLOTS:
    void onResponse(uint code, const QVariantMap &results)
    {
        result = { code, results };
        Q_EMIT received();
    }

Q_SIGNALS:
    void received();
};

// Calls a portal method that answers through a Request object. Gives the
// request's results, or the reason there are none.
QCoro::Task<std::variant<QVariantMap, QString>> portalRequest(QDBusConnection bus, QString method,
                                                              QVariantList arguments, QString token)
{
    // The request's path is known before the call, so the answer cannot
    // arrive before we listen for it.
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString requestPath = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    auto response = std::make_unique<PortalResponse>();
    bus.connect(PortalHotkeyEngine::portalService, requestPath, requestInterface, QStringLiteral("Response"),
                response.get(), SLOT(onResponse(uint, QVariantMap)));
    const auto stopListening = [&] {
        bus.disconnect(PortalHotkeyEngine::portalService, requestPath, requestInterface, QStringLiteral("Response"),
                       response.get(), SLOT(onResponse(uint, QVariantMap)));
    };

    QDBusMessage call
        = QDBusMessage::createMethodCall(PortalHotkeyEngine::portalService, PortalHotkeyEngine::portalPath,
                                         PortalHotkeyEngine::shortcutsInterface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = bus.asyncCall(call, callTimeoutMs);
    const QDBusMessage reply = co_await pending;
    if (reply.type() == QDBusMessage::ErrorMessage) {
        stopListening();
        co_return QStringLiteral("%1 failed: %2").arg(method, reply.errorMessage());
    }
    if (!response->result) {
        QCoro::Task<std::optional<std::tuple<>>> waiting
            = qCoro(response.get(), &PortalResponse::received, answerTimeout);
        co_await waiting;
    }
    stopListening();
    if (!response->result)
        co_return QStringLiteral("%1: the desktop did not answer").arg(method);
    if (response->result->first != 0)
        co_return QStringLiteral("%1: the desktop refused (response %2)").arg(method).arg(response->result->first);
    co_return response->result->second;
}
} // namespace

PortalHotkeyEngine::PortalHotkeyEngine(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(handleShortcutSignal(QDBusMessage)));
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Deactivated"), this,
                  SLOT(handleShortcutSignal(QDBusMessage)));
}

PortalHotkeyEngine::~PortalHotkeyEngine()
{
    if (!m_session.isEmpty()) {
        m_bus.call(QDBusMessage::createMethodCall(portalService, m_session,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")),
                   QDBus::NoBlock);
    }
}

bool PortalHotkeyEngine::isAvailable(QDBusConnection bus)
{
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(portalService))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    const QDBusReply<QDBusVariant> reply = bus.call(get, QDBus::Block, 1000);
    return reply.isValid() && reply.value().variant().toUInt() >= 1;
}

QString PortalHotkeyEngine::preferredTrigger(const HotkeyBinding &binding)
{
    if (binding.isFn())
        return {};
    const QString name = HotkeyBinding::keyName(*binding.keyCode());
    if (name.startsWith(QStringLiteral("Key")))
        return {};
    // Keysym names: letters and Space are lower case, the others as shown.
    const QString key = name.size() == 1 || name == QStringLiteral("Space") ? name.toLower() : name;
    QStringList parts;
    const auto modifiers = *binding.modifiers();
    if (modifiers & HotkeyBinding::Modifier::control)
        parts << QStringLiteral("CTRL");
    if (modifiers & HotkeyBinding::Modifier::option)
        parts << QStringLiteral("ALT");
    if (modifiers & HotkeyBinding::Modifier::shift)
        parts << QStringLiteral("SHIFT");
    if (modifiers & HotkeyBinding::Modifier::command)
        parts << QStringLiteral("LOGO");
    parts << key;
    return parts.join(u'+');
}

QCoro::Task<> bindShortcuts(QPointer<PortalHotkeyEngine> self, HotkeyID id, HotkeyBinding binding)
{
    const auto fail = [&self, id](const QString &reason) {
        log(QStringLiteral("WARNING: PortalHotkeyEngine: %1 not bound: %2").arg(rawName(id), reason));
        if (self && self->onBindingFailed)
            self->onBindingFailed(id, reason);
    };

    while (self && self->m_session.isEmpty()) {
        if (self->m_creatingSession) {
            // Another binding is creating it: wait for that one.
            QCoro::Task<std::optional<std::tuple<>>> waiting
                = qCoro(self.data(), &PortalHotkeyEngine::sessionAttemptFinished, answerTimeout);
            co_await waiting;
            continue;
        }
        self->m_creatingSession = true;
        const QString token = QStringLiteral("parlowind%1").arg(++self->m_nextToken);
        const QVariantMap options { { QStringLiteral("handle_token"), token },
                                    { QStringLiteral("session_handle_token"), token } };
        QCoro::Task<std::variant<QVariantMap, QString>> creating
            = portalRequest(self->m_bus, QStringLiteral("CreateSession"), { options }, token);
        const auto created = co_await creating;
        if (!self)
            co_return;
        self->m_creatingSession = false;
        if (const auto *session = std::get_if<QVariantMap>(&created))
            self->m_session = session->value(QStringLiteral("session_handle")).toString();
        Q_EMIT self->sessionAttemptFinished();
        if (!self)
            co_return;
        if (const auto *reason = std::get_if<QString>(&created)) {
            fail(*reason);
            co_return;
        }
        if (self->m_session.isEmpty()) {
            fail(QStringLiteral("the desktop gave no session"));
            co_return;
        }
    }
    if (!self || !self->m_bindings.contains(id))
        co_return; // unregistered meanwhile

    QVariantMap shortcutOptions { { QStringLiteral("description"), QStringLiteral("Dictate while held") } };
    if (const QString trigger = PortalHotkeyEngine::preferredTrigger(binding); !trigger.isEmpty())
        shortcutOptions.insert(QStringLiteral("preferred_trigger"), trigger);
    const QList<PortalShortcut> shortcuts { { shortcutId(id), shortcutOptions } };
    const QString token = QStringLiteral("parlowind%1").arg(++self->m_nextToken);
    QCoro::Task<std::variant<QVariantMap, QString>> binding_
        = portalRequest(self->m_bus, QStringLiteral("BindShortcuts"),
                        { QVariant::fromValue(QDBusObjectPath(self->m_session)), QVariant::fromValue(shortcuts),
                          QString(), QVariantMap { { QStringLiteral("handle_token"), token } } },
                        token);
    const auto result = co_await binding_;
    if (!self)
        co_return;
    if (const auto *reason = std::get_if<QString>(&result)) {
        fail(*reason);
        co_return;
    }
    log(QStringLiteral("PortalHotkeyEngine: %1 bound through the desktop's shortcuts").arg(rawName(id)));
    Q_EMIT self->bound();
}

void PortalHotkeyEngine::registerBinding(const HotkeyBinding &binding, HotkeyID id)
{
    if (m_bindings.contains(id))
        throw HotkeyError::alreadyRegistered(id);
    if (binding.isFn())
        throw HotkeyError::requiresEventTap();
    if (id != HotkeyID::dictation)
        throw HotkeyError::registrationFailed(notOfferedStatus);
    m_bindings.insert_or_assign(id, binding);
    QCoro::connect(bindShortcuts(QPointer(this), id, binding), this, [] {});
}

void PortalHotkeyEngine::unregister(HotkeyID id)
{
    // The portal has no way to unbind: its events for this id are ignored.
    m_bindings.erase(id);
    m_filter.forget(id);
}

void PortalHotkeyEngine::unregisterAll()
{
    m_bindings.clear();
    m_filter.forgetAll();
}

std::optional<HotkeyID> PortalHotkeyEngine::idForShortcut(const QDBusObjectPath &session, const QString &shortcut) const
{
    if (session.path() != m_session)
        return std::nullopt;
    for (const auto &[id, binding] : m_bindings)
        if (shortcutId(id) == shortcut)
            return id;
    return std::nullopt;
}

void PortalHotkeyEngine::deliver(HotkeyID id, std::optional<HotkeyPhase> phase)
{
    if (phase && m_onEvent) {
        const auto handler = m_onEvent;
        handler(id, *phase);
    }
}

void PortalHotkeyEngine::handleShortcutSignal(const QDBusMessage &message)
{
    // (o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const auto session = qdbus_cast<QDBusObjectPath>(arguments.at(0));
    const auto id = idForShortcut(session, arguments.at(1).toString());
    if (!id)
        return;
    if (message.member() == QStringLiteral("Activated"))
        deliver(*id, m_filter.activated(*id));
    else
        deliver(*id, m_filter.deactivated(*id));
}

} // namespace parlowind

#include "PortalHotkeyEngine.moc"

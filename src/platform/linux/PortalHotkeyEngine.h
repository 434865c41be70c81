#pragma once

#include "hotkeys/HotkeyRegistering.h"
#include "hotkeys/PortalShortcutFilter.h"

#include <QCoro/QCoroTask>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <map>

namespace parlowind {

// One entry of the portal's a(sa{sv}) shortcut lists.
struct PortalShortcut
{
    QString id;
    QVariantMap options;
};
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// Chords through the desktop's GlobalShortcuts portal (KDE on Wayland): the
// desktop owns the key and asks the user to confirm it once; Activated and
// Deactivated become press and release. Binding is asynchronous (the
// desktop may show a dialog), so registerBinding only validates and starts
// it; a refusal arrives later through `onBindingFailed`. Only the dictation
// key is offered: a shortcut the user has to confirm cannot come and go with
// every recording, so Escape is refused and the coordinator goes without it.
class PortalHotkeyEngine final : public QObject, public HotkeyRegistering
{
    Q_OBJECT
public:
    static inline const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
    // Status of registrationFailed for identifiers the portal does not take.
    static constexpr int notOfferedStatus = -2;

    explicit PortalHotkeyEngine(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~PortalHotkeyEngine() override;

    // Whether the session's portal offers global shortcuts (waits up to a
    // second for the answer).
    static bool isAvailable(QDBusConnection bus = QDBusConnection::sessionBus());

    // The portal's preferred-trigger text ("CTRL+ALT+space"); empty for keys
    // without a known name, which leaves the choice to the user.
    static QString preferredTrigger(const HotkeyBinding &binding);

    void setOnEvent(EventHandler handler) override { m_onEvent = std::move(handler); }
    void registerBinding(const HotkeyBinding &binding, HotkeyID id) override;
    void unregister(HotkeyID id) override;
    void unregisterAll() override;

    // Called when the desktop refused or never answered; the text is for the log.
    std::function<void(HotkeyID, QString)> onBindingFailed;

Q_SIGNALS:
    // The desktop confirmed the shortcuts asked for so far.
    void bound();
    // A session request finished, whether it gave a session or not.
    void sessionAttemptFinished();

private Q_SLOTS:
    // Activated and Deactivated of the portal.
    void handleShortcutSignal(const QDBusMessage &message);

private:
    friend QCoro::Task<> bindShortcuts(QPointer<PortalHotkeyEngine> self, HotkeyID id, HotkeyBinding binding);
    std::optional<HotkeyID> idForShortcut(const QDBusObjectPath &session, const QString &shortcut) const;
    void deliver(HotkeyID id, std::optional<HotkeyPhase> phase);

    QDBusConnection m_bus;
    EventHandler m_onEvent;
    std::map<HotkeyID, HotkeyBinding> m_bindings;
    PortalShortcutFilter m_filter;
    QString m_session; // object path, once created
    bool m_creatingSession = false;
    int m_nextToken = 0;
};

} // namespace parlowind

Q_DECLARE_METATYPE(parlowind::PortalShortcut)

#pragma once

#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/RemoteKeyControl.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace parlowind {

// Where a running instance listens for `parlowind ptt`: a service on the
// session bus, described in resources/dbus/io.parlowind.Parlowind.Control.xml.
namespace ControlChannel {
inline const QString serviceName = QStringLiteral("io.parlowind.Parlowind");
inline const QString objectPath = QStringLiteral("/io/parlowind/Parlowind");
inline const QString interfaceName = QStringLiteral("io.parlowind.Parlowind.Control");
} // namespace ControlChannel

// The running instance's end of the control channel: turns ptt commands into
// the phases a dictation key would give and hands them to `deliver` (the
// routing registrar's), so desktop and compositor bindings drive dictation
// exactly like a key.
class ControlChannelService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.parlowind.Parlowind.Control")
public:
    // Returns whether the phase reached a registered identifier.
    using Deliver = std::function<bool(HotkeyID, HotkeyPhase)>;

    explicit ControlChannelService(Deliver deliver, QObject *parent = nullptr);
    ~ControlChannelService() override;

    // Publishes the object and takes the service name. False (logged) when
    // there is no bus or another instance holds the name.
    bool publish(QDBusConnection connection = QDBusConnection::sessionBus());
    void unpublish();

    // The methods return false when dictation is not taking keys (turned
    // off, still starting); Cancel always succeeds and is ignored when
    // nothing is being recorded.
public Q_SLOTS:
    Q_SCRIPTABLE bool Press();
    Q_SCRIPTABLE bool Release();
    Q_SCRIPTABLE bool Toggle();
    Q_SCRIPTABLE bool Cancel();

private:
    bool run(RemoteKeyCommand command);

    Deliver m_deliver;
    RemoteKeyControl m_control;
    std::optional<QDBusConnection> m_connection;
};

} // namespace parlowind

#include "SingleInstance.h"

#include "ControlChannel.h"
#include "support/Log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>

namespace parlowind {

namespace {
const QString applicationPath = QStringLiteral("/io/parlowind/Parlowind/Application");
const QString applicationInterface = QStringLiteral("io.parlowind.Parlowind.Application");
} // namespace

// The hand-over method a second start calls.
class ApplicationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.parlowind.Parlowind.Application")
public:
    ApplicationService(std::function<void()> onActivate, QObject *parent)
        : QObject(parent)
        , m_onActivate(std::move(onActivate))
    { }

public Q_SLOTS:
    Q_SCRIPTABLE void Activate()
    {
        if (m_onActivate)
            m_onActivate();
    }

private:
    std::function<void()> m_onActivate;
};

namespace SingleInstance {

Claim claim(double waitSeconds)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Claim::noBus;
    QDeadlineTimer deadline(qint64(waitSeconds * 1000));
    for (;;) {
        // Owning the control channel's name makes this the instance that
        // `parlowind ptt` reaches.
        if (bus.registerService(ControlChannel::serviceName))
            return Claim::owned;
        if (deadline.hasExpired())
            break;
        QThread::msleep(100);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(ControlChannel::serviceName, applicationPath,
                                                       applicationInterface, QStringLiteral("Activate"));
    bus.call(call, QDBus::Block, 3000);
    return Claim::handedOver;
}

void serve(std::function<void()> onActivate, QObject *parent)
{
    auto *service = new ApplicationService(std::move(onActivate), parent);
    if (!QDBusConnection::sessionBus().registerObject(applicationPath, service, QDBusConnection::ExportScriptableSlots))
        log(QStringLiteral("WARNING: could not publish %1 on the session bus").arg(applicationPath));
}

} // namespace SingleInstance
} // namespace parlowind

#include "SingleInstance.moc"

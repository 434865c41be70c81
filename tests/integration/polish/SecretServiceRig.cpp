#include "SecretServiceRig.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace parlowind::test {

namespace {
// A session bus that activates nothing: whatever is not started here is absent.
const char *busConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

const QString secrets = QStringLiteral("org.freedesktop.secrets");
} // namespace

bool SecretServiceRig::toolsAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty();
}

SecretServiceRig::SecretServiceRig(Keyring keyring)
{
    m_ready = startBus() && (keyring == Keyring::none || startKeyring())
        && (keyring != Keyring::locked || lockDefaultCollection());
}

SecretServiceRig::~SecretServiceRig()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("secret-service-rig"));
    for (QProcess *process : { &m_keyring, &m_bus }) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    }
}

bool SecretServiceRig::startBus()
{
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        m_failure = QStringLiteral("cannot write the bus configuration");
        return false;
    }
    file.write(QString::fromLatin1(busConfig).arg(m_dir.path()).toUtf8());
    file.close();

    m_bus.start(
        QStringLiteral("dbus-daemon"),
        { QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    QDeadlineTimer deadline(10000);
    while (!m_bus.canReadLine() && !deadline.hasExpired() && m_bus.state() != QProcess::NotRunning)
        m_bus.waitForReadyRead(100);
    m_address = m_bus.readLine().trimmed();
    if (m_address.isEmpty())
        m_failure
            = QStringLiteral("dbus-daemon did not start: ") + QString::fromLocal8Bit(m_bus.readAllStandardError());
    return !m_address.isEmpty();
}

bool SecretServiceRig::startKeyring()
{
    // The keyring keeps its files out of the test's home.
    const QString home = m_dir.filePath(QStringLiteral("keyring-home"));
    const QString runtime = m_dir.filePath(QStringLiteral("keyring-runtime"));
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_address));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_keyring.setProcessEnvironment(environment);
    m_keyring.setProcessChannelMode(QProcess::MergedChannels);
    m_keyring.start(
        QStringLiteral("gnome-keyring-daemon"),
        { QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets") });
    // The password must reach the daemon before the write end closes; there
    // is no event loop here to flush it.
    m_keyring.waitForStarted(5000);
    m_keyring.write("rig-password");
    m_keyring.waitForBytesWritten(5000);
    m_keyring.closeWriteChannel();

    QDBusConnection bus
        = QDBusConnection::connectToBus(QString::fromUtf8(m_address), QStringLiteral("secret-service-rig"));
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (bus.isConnected() && bus.interface()->isServiceRegistered(secrets))
            return true;
        QThread::msleep(50);
    }
    m_failure = QStringLiteral("gnome-keyring-daemon did not register: ") + QString::fromLocal8Bit(m_keyring.readAll());
    return false;
}

bool SecretServiceRig::lockDefaultCollection()
{
    QDBusConnection bus
        = QDBusConnection::connectToBus(QString::fromUtf8(m_address), QStringLiteral("secret-service-rig"));
    const QString servicePath = QStringLiteral("/org/freedesktop/secrets");
    const QString serviceInterface = QStringLiteral("org.freedesktop.Secret.Service");
    QDBusMessage alias
        = QDBusMessage::createMethodCall(secrets, servicePath, serviceInterface, QStringLiteral("ReadAlias"));
    alias << QStringLiteral("default");
    const QDBusMessage aliasReply = bus.call(alias, QDBus::Block, 5000);
    const QDBusObjectPath collection = aliasReply.arguments().value(0).value<QDBusObjectPath>();
    if (collection.path().isEmpty() || collection.path() == QStringLiteral("/")) {
        m_failure = QStringLiteral("the keyring has no default collection");
        return false;
    }
    QDBusMessage lock = QDBusMessage::createMethodCall(secrets, servicePath, serviceInterface, QStringLiteral("Lock"));
    lock << QVariant::fromValue(QList<QDBusObjectPath> { collection });
    const QDBusMessage lockReply = bus.call(lock, QDBus::Block, 5000);
    if (lockReply.type() != QDBusMessage::ReplyMessage) {
        m_failure = QStringLiteral("locking failed: ") + lockReply.errorMessage();
        return false;
    }
    return true;
}

} // namespace parlowind::test

#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace parlowind::test {

// A private D-Bus session bus started by the test, without service
// activation, optionally with GNOME Keyring serving the secret service on it
// (unlocked, or with its default collection locked). Processes are stopped by
// their own handles when the object goes.
class SecretServiceRig final
{
public:
    enum class Keyring { none, unlocked, locked };

    static bool toolsAvailable();

    explicit SecretServiceRig(Keyring keyring);
    ~SecretServiceRig();
    SecretServiceRig(const SecretServiceRig &) = delete;
    SecretServiceRig &operator=(const SecretServiceRig &) = delete;

    bool isReady() const { return m_ready; }
    QString failure() const { return m_failure; }
    QByteArray busAddress() const { return m_address; }

private:
    bool startBus();
    bool startKeyring();
    bool lockDefaultCollection();

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_keyring;
    QByteArray m_address;
    bool m_ready = false;
    QString m_failure;
};

} // namespace parlowind::test

#include "KeychainStore.h"

#include <QCoro/QCoroDBusPendingCall>
#include <QCoro/QCoroSignal>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>

#include <qt6keychain/keychain.h>

#include <memory>

Q_LOGGING_CATEGORY(lcKeychain, "parlowind.keychain", QtWarningMsg)

namespace parlowind {

namespace {

const QString secretsService = QStringLiteral("org.freedesktop.secrets");
constexpr int busTimeoutMs = 3000;

struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

QCoro::Task<QDBusMessage> callBus(QDBusMessage message)
{
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(message, busTimeoutMs);
    co_await pending;
    co_return pending.reply();
}

// Whether anything on the session bus answers for the secret service, now or
// on activation.
QCoro::Task<bool> secretServiceReachable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        co_return false;
    const QString dbus = QStringLiteral("org.freedesktop.DBus");
    const QString path = QStringLiteral("/org/freedesktop/DBus");
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(dbus, path, dbus, QStringLiteral("NameHasOwner"));
    hasOwner << secretsService;
    const QDBusMessage owned = co_await callBus(hasOwner);
    if (owned.type() == QDBusMessage::ReplyMessage && owned.arguments().value(0).toBool())
        co_return true;
    QDBusMessage list = QDBusMessage::createMethodCall(dbus, path, dbus, QStringLiteral("ListActivatableNames"));
    const QDBusMessage activatable = co_await callBus(list);
    co_return activatable.type()
        == QDBusMessage::ReplyMessage &&activatable.arguments().value(0).toStringList().contains(secretsService);
}

// Whether the default collection of the secret service is locked: items in
// a locked collection are invisible, and writing to it fails.
QCoro::Task<bool> defaultCollectionLocked()
{
    QDBusMessage alias
        = QDBusMessage::createMethodCall(secretsService, QStringLiteral("/org/freedesktop/secrets"),
                                         QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("ReadAlias"));
    alias << QStringLiteral("default");
    const QDBusMessage aliasReply = co_await callBus(alias);
    if (aliasReply.type() != QDBusMessage::ReplyMessage)
        co_return false;
    const QString collection = aliasReply.arguments().value(0).value<QDBusObjectPath>().path();
    if (collection.isEmpty() || collection == QStringLiteral("/"))
        co_return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        secretsService, collection, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
    const QDBusMessage locked = co_await callBus(get);
    if (locked.type() != QDBusMessage::ReplyMessage)
        co_return false;
    co_return locked.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

// Turns a failed job into the error the user can act on.
QCoro::Task<KeychainError> diagnose(int code, QString text)
{
    qCDebug(lcKeychain) << "keychain job failed" << code << text;
    const bool reachable = co_await secretServiceReachable();
    if (!reachable || code == QKeychain::NoBackendAvailable)
        co_return KeychainError(KeychainError::Case::serviceUnavailable, code, text);
    const bool locked = co_await defaultCollectionLocked();
    if (locked)
        co_return KeychainError(KeychainError::Case::locked, code, text);
    co_return KeychainError(KeychainError::Case::unexpectedStatus, code, text);
}

QCoro::Task<> run(QKeychain::Job *job)
{
    job->setAutoDelete(false);
    job->start();
    co_await qCoro(job, &QKeychain::Job::finished);
}

} // namespace

QCoro::Task<std::optional<QString>> KeychainStore::read(QString account)
{
    std::unique_ptr<QKeychain::ReadPasswordJob, DeleteLater> job(new QKeychain::ReadPasswordJob(m_service));
    job->setKey(account);
    co_await run(job.get());

    if (job->error() == QKeychain::EntryNotFound) {
        // A locked keyring hides its items: say so rather than "no key".
        const bool locked = co_await defaultCollectionLocked();
        if (locked)
            throw KeychainError(KeychainError::Case::locked, int(QKeychain::EntryNotFound));
        co_return std::nullopt;
    }
    if (job->error() != QKeychain::NoError) {
        KeychainError error = co_await diagnose(int(job->error()), job->errorString());
        throw error;
    }
    const QByteArray data = job->binaryData();
    // Not valid UTF-8: no usable key.
    const QString text = QString::fromUtf8(data);
    if (text.isEmpty() || text.toUtf8() != data)
        co_return std::nullopt;
    co_return text;
}

QCoro::Task<> KeychainStore::save(QString value, QString account)
{
    if (value.isEmpty()) {
        co_await remove(account);
        co_return;
    }
    // Writing replaces an existing item of the same account.
    std::unique_ptr<QKeychain::WritePasswordJob, DeleteLater> job(new QKeychain::WritePasswordJob(m_service));
    job->setKey(account);
    job->setBinaryData(value.toUtf8());
    co_await run(job.get());
    if (job->error() != QKeychain::NoError) {
        KeychainError error = co_await diagnose(int(job->error()), job->errorString());
        throw error;
    }
}

QCoro::Task<> KeychainStore::remove(QString account)
{
    std::unique_ptr<QKeychain::DeletePasswordJob, DeleteLater> job(new QKeychain::DeletePasswordJob(m_service));
    job->setKey(account);
    co_await run(job.get());
    if (job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound)
        co_return;
    KeychainError error = co_await diagnose(int(job->error()), job->errorString());
    throw error;
}

} // namespace parlowind

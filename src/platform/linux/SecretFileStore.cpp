#include "SecretFileStore.h"

#include "support/AtomicFile.h"

#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <sys/stat.h>

namespace parlowind {

namespace {
KeychainError fileError(const QString &what)
{
    return KeychainError(KeychainError::Case::unexpectedStatus, 0, what);
}

// Files created meanwhile are private from their first byte, not chmod-ed
// after the key is already in them.
class PrivateUmask final
{
public:
    PrivateUmask()
        : m_previous(::umask(077))
    { }
    ~PrivateUmask() { ::umask(m_previous); }
    PrivateUmask(const PrivateUmask &) = delete;
    PrivateUmask &operator=(const PrivateUmask &) = delete;

private:
    mode_t m_previous;
};
} // namespace

QString SecretFileStore::defaultPath()
{
    return AppPaths::supportPath(QStringLiteral("api-keys.json"));
}

bool SecretFileStore::exists() const
{
    return QFileInfo::exists(m_path);
}

QJsonObject SecretFileStore::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void SecretFileStore::write(const QJsonObject &keys) const
{
    if (keys.isEmpty()) {
        if (QFile::exists(m_path) && !QFile::remove(m_path))
            throw fileError(QStringLiteral("cannot remove %1").arg(m_path));
        return;
    }
    PrivateUmask privateFiles;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        throw fileError(QStringLiteral("cannot create the folder of %1").arg(m_path));
    if (const std::optional<QString> reason = writeFileAtomically(m_path, QJsonDocument(keys).toJson()))
        throw fileError(*reason);
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QCoro::Task<std::optional<QString>> SecretFileStore::read(QString account)
{
    const QString value = load().value(account).toString();
    if (value.isEmpty())
        co_return std::nullopt;
    co_return value;
}

QCoro::Task<> SecretFileStore::save(QString value, QString account)
{
    QJsonObject keys = load();
    if (value.isEmpty())
        keys.remove(account);
    else
        keys.insert(account, value);
    write(keys);
    co_return;
}

QCoro::Task<> SecretFileStore::remove(QString account)
{
    QJsonObject keys = load();
    if (keys.contains(account)) {
        keys.remove(account);
        write(keys);
    }
    co_return;
}

QCoro::Task<std::optional<QString>> FallbackSecretStore::read(QString account)
{
    QCoro::Task<std::optional<QString>> fromFile = m_file.read(account);
    std::optional<QString> key = co_await fromFile;
    if (key)
        co_return key;
    QCoro::Task<std::optional<QString>> fromKeychain = m_keychain.read(account);
    std::optional<QString> stored = co_await fromKeychain;
    co_return stored;
}

QCoro::Task<> FallbackSecretStore::save(QString value, QString account)
{
    QCoro::Task<> saved = m_keychain.save(value, account);
    co_await saved;
    QCoro::Task<> removed = m_file.remove(account);
    co_await removed;
}

QCoro::Task<> FallbackSecretStore::remove(QString account)
{
    QCoro::Task<> fromFile = m_file.remove(account);
    co_await fromFile;
    QCoro::Task<> fromKeychain = m_keychain.remove(account);
    co_await fromKeychain;
}

} // namespace parlowind

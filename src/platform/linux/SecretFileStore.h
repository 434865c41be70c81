#pragma once

#include "polish/SecretStoring.h"

#include <QJsonObject>
#include <QString>

namespace parlowind {

// Keys in a plain file readable only by the user (mode 0600), for machines
// without a usable secret service. Used only when the user asks for it: the
// file is not encrypted.
class SecretFileStore final : public SecretStoring
{
public:
    static QString defaultPath();

    explicit SecretFileStore(QString path = defaultPath())
        : m_path(std::move(path))
    { }

    QString path() const { return m_path; }
    bool exists() const;

    QCoro::Task<std::optional<QString>> read(QString account) override;
    QCoro::Task<> save(QString value, QString account) override;
    QCoro::Task<> remove(QString account) override;

private:
    QJsonObject load() const;
    void write(const QJsonObject &keys) const;

    QString m_path;
};

// The secret service first; the file only for keys the user put there, and
// a key saved to the secret service replaces any copy in the file.
class FallbackSecretStore final : public SecretStoring
{
public:
    FallbackSecretStore(SecretStoring &keychain, SecretFileStore &file)
        : m_keychain(keychain)
        , m_file(file)
    { }

    QCoro::Task<std::optional<QString>> read(QString account) override;
    QCoro::Task<> save(QString value, QString account) override;
    QCoro::Task<> remove(QString account) override;

private:
    SecretStoring &m_keychain;
    SecretFileStore &m_file;
};

} // namespace parlowind

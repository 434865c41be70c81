#pragma once

#include "polish/SecretStoring.h"

#include <QString>

namespace parlowind {

// API keys in the desktop's secret service (GNOME Keyring, KWallet) through
// QtKeychain, one item per account under one service. Failures are told
// apart: no secret service at all, a locked keyring, anything else.
class KeychainStore final : public SecretStoring
{
public:
    static QString defaultService() { return QStringLiteral("com.ovantic.parlowind"); }

    explicit KeychainStore(QString service = defaultService())
        : m_service(std::move(service))
    { }

    QString service() const { return m_service; }

    QCoro::Task<std::optional<QString>> read(QString account) override;
    QCoro::Task<> save(QString value, QString account) override;
    QCoro::Task<> remove(QString account) override;

private:
    QString m_service;
};

} // namespace parlowind

#pragma once

#include "support/Error.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <optional>

namespace parlowind {

// Why the secret store could not do what was asked. The text tells the user
// what to do; it never contains a secret.
class KeychainError final : public Error
{
public:
    enum class Case {
        serviceUnavailable, // no secret service on the session bus
        locked, // the collection is locked
        unexpectedStatus, // anything else, with the store's own code and text
    };

    explicit KeychainError(Case errorCase, int status = 0, QString detail = {})
        : m_case(errorCase)
        , m_status(status)
        , m_detail(std::move(detail))
    { }

    Case errorCase() const { return m_case; }
    int status() const { return m_status; }

    QString description() const override;
    QString logDescription() const override;

private:
    Case m_case;
    int m_status;
    QString m_detail;
};

// Per-user store of secrets (API keys), one item per account under the
// store's service. Keys never go anywhere else.
class SecretStoring
{
public:
    virtual ~SecretStoring() = default;

    // The stored value; nothing when there is no item or it is empty. Throws
    // KeychainError when the store cannot be asked (none running, locked).
    virtual QCoro::Task<std::optional<QString>> read(QString account) = 0;
    // Replaces the item; an empty value removes it. Throws KeychainError.
    virtual QCoro::Task<> save(QString value, QString account) = 0;
    // Removes the item; a missing item is fine. Throws KeychainError.
    virtual QCoro::Task<> remove(QString account) = 0;
};

} // namespace parlowind

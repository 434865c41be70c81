#include "SecretStoring.h"

namespace parlowind {

QString KeychainError::description() const
{
    switch (m_case) {
    case Case::serviceUnavailable:
        return QStringLiteral("No secret service is running, so the API key cannot be stored or read. Start one "
                              "(GNOME Keyring or KWallet, usually part of your desktop session) and try again.");
    case Case::locked:
        return QStringLiteral("The keyring that holds the API key is locked. Unlock it (for example in Passwords "
                              "and Keys, or by logging in again) and try again.");
    case Case::unexpectedStatus:
        return QStringLiteral("The secret service failed (%1): %2").arg(m_status).arg(m_detail);
    }
    return QStringLiteral("The secret service failed.");
}

QString KeychainError::logDescription() const
{
    switch (m_case) {
    case Case::serviceUnavailable:
        return QStringLiteral("KeychainError.serviceUnavailable");
    case Case::locked:
        return QStringLiteral("KeychainError.locked");
    case Case::unexpectedStatus:
        return QStringLiteral("KeychainError.unexpectedStatus(%1: %2)").arg(m_status).arg(m_detail);
    }
    return QStringLiteral("KeychainError");
}

} // namespace parlowind

#include "LLMError.h"

namespace parlowind {

QString LLMError::description() const
{
    switch (m_case) {
    case Case::http:
        return QStringLiteral("Server error %1").arg(m_status);
    case Case::offline:
        return QStringLiteral("Offline only is on");
    case Case::notConfigured:
        return QStringLiteral("Not configured");
    case Case::timedOut:
        return QStringLiteral("Timed out");
    case Case::unauthorized:
        return QStringLiteral("Key rejected");
    case Case::malformedResponse:
        return QStringLiteral("Unexpected response");
    case Case::transportFailed:
        return QStringLiteral("Unreachable");
    }
    return QStringLiteral("Failed");
}

QString LLMError::logDescription() const
{
    switch (m_case) {
    case Case::http:
        return QStringLiteral("LLMError.http(status: %1)").arg(m_status);
    case Case::offline:
        return QStringLiteral("LLMError.offline");
    case Case::notConfigured:
        return QStringLiteral("LLMError.notConfigured");
    case Case::timedOut:
        return QStringLiteral("LLMError.timedOut");
    case Case::unauthorized:
        return QStringLiteral("LLMError.unauthorized");
    case Case::malformedResponse:
        return QStringLiteral("LLMError.malformedResponse");
    case Case::transportFailed:
        return QStringLiteral("LLMError.transportFailed");
    }
    return QStringLiteral("LLMError");
}

} // namespace parlowind

#include "ModelStoreError.h"

namespace parlowind {

QString ModelStoreError::logDescription() const
{
    switch (m_kind) {
    case Kind::downloadFailed:
        return QStringLiteral("downloadFailed(%1)").arg(m_id);
    case Kind::notDownloaded:
        return QStringLiteral("notDownloaded(%1)").arg(m_id);
    case Kind::incompleteDownload:
        return QStringLiteral("incompleteDownload(%1, received: %2, expected: %3)")
            .arg(m_id)
            .arg(m_received)
            .arg(m_expected);
    }
    return {};
}

QString ModelStoreError::description() const
{
    switch (m_kind) {
    case Kind::downloadFailed:
        return QStringLiteral("The model \"%1\" could not be downloaded.").arg(m_id);
    case Kind::notDownloaded:
        return QStringLiteral("The model \"%1\" has not been downloaded yet.").arg(m_id);
    case Kind::incompleteDownload:
        return QStringLiteral(
                   "The download of the model \"%1\" was incomplete (%2 of %3 bytes); it resumes on the next try.")
            .arg(m_id)
            .arg(m_received)
            .arg(m_expected);
    }
    return {};
}

} // namespace parlowind

#include "TranscriptionError.h"

namespace parlowind {

QString TranscriptionError::logDescription() const
{
    switch (m_kind) {
    case Kind::modelNotFound:
        return QStringLiteral("modelNotFound(%1)").arg(m_location);
    case Kind::modelLoadFailed:
        return QStringLiteral("modelLoadFailed(%1)").arg(m_location);
    case Kind::inferenceFailed:
        return QStringLiteral("inferenceFailed(%1)").arg(m_status);
    case Kind::notLoaded:
        return QStringLiteral("notLoaded");
    }
    return {};
}

QString TranscriptionError::description() const
{
    switch (m_kind) {
    case Kind::modelNotFound:
        return QStringLiteral("The speech model was not found at %1.").arg(m_location);
    case Kind::modelLoadFailed:
        return QStringLiteral("The speech model at %1 could not be loaded.").arg(m_location);
    case Kind::inferenceFailed:
        return QStringLiteral("Transcription failed (status %1).").arg(m_status);
    case Kind::notLoaded:
        return QStringLiteral("The speech model is not loaded yet.");
    }
    return {};
}

} // namespace parlowind

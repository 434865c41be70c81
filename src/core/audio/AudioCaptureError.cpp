#include "AudioCaptureError.h"

namespace parlowind {

namespace {
QString withDetail(const QString &name, const QString &detail)
{
    return detail.isEmpty() ? name : name + QStringLiteral("(") + detail + QStringLiteral(")");
}
} // namespace

QString AudioCaptureError::description() const
{
    switch (m_kind) {
    case Kind::startTimedOut:
        return QStringLiteral("The microphone did not start in time. The audio system may be busy; try again.");
    case Kind::engineStartFailed:
        return QStringLiteral("The microphone could not be started. Check that one is connected and selected as the "
                              "input device.");
    case Kind::alreadyRunning:
        return QStringLiteral("The microphone is already recording.");
    }
    return {};
}

QString AudioCaptureError::logDescription() const
{
    switch (m_kind) {
    case Kind::startTimedOut:
        return QStringLiteral("startTimedOut");
    case Kind::engineStartFailed:
        return withDetail(QStringLiteral("engineStartFailed"), m_reason);
    case Kind::alreadyRunning:
        return QStringLiteral("alreadyRunning");
    }
    return {};
}

QString AudioFormatError::description() const
{
    switch (m_kind) {
    case Kind::unsupportedInputFormat:
        return QStringLiteral("The audio input format is not supported.");
    case Kind::converterFailed:
        return QStringLiteral("The audio could not be converted.");
    }
    return {};
}

QString AudioFormatError::logDescription() const
{
    switch (m_kind) {
    case Kind::unsupportedInputFormat:
        return withDetail(QStringLiteral("unsupportedInputFormat"), m_detail);
    case Kind::converterFailed:
        return withDetail(QStringLiteral("converterFailed"), m_detail);
    }
    return {};
}

} // namespace parlowind

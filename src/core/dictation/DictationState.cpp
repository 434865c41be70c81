#include "DictationState.h"

namespace parlowind {

QString rawValue(DictationCancelReason reason)
{
    switch (reason) {
    case DictationCancelReason::userCancelled:
        return QStringLiteral("userCancelled");
    case DictationCancelReason::tooShort:
        return QStringLiteral("tooShort");
    case DictationCancelReason::noSpeech:
        return QStringLiteral("noSpeech");
    case DictationCancelReason::deviceChanged:
        return QStringLiteral("deviceChanged");
    case DictationCancelReason::systemSleep:
        return QStringLiteral("systemSleep");
    case DictationCancelReason::meetingInProgress:
        break;
    }
    return QStringLiteral("meetingInProgress");
}

QString DictationState::debugDescription() const
{
    switch (m_kind) {
    case Kind::idle:
        return QStringLiteral("idle");
    case Kind::recording:
        return QStringLiteral("recording");
    case Kind::transcribing:
        return QStringLiteral("transcribing");
    case Kind::listening:
        return QStringLiteral("listening(isTranscribing: %1)")
            .arg(m_isTranscribing ? QStringLiteral("true") : QStringLiteral("false"));
    case Kind::cancelled:
        return QStringLiteral("cancelled(%1)").arg(m_reason ? rawValue(*m_reason) : QString());
    case Kind::failed:
        break;
    }
    return QStringLiteral("failed(%1)").arg(m_message);
}

} // namespace parlowind

#include "HUDPresentation.h"

#include "dictation/DictationState.h"

namespace parlowind {

QString HUDPresentation::cancelLabel(DictationCancelReason reason)
{
    switch (reason) {
    case DictationCancelReason::userCancelled:
        return QStringLiteral("Cancelled");
    case DictationCancelReason::tooShort:
        return QStringLiteral("Too short — hold to dictate");
    case DictationCancelReason::noSpeech:
        return QStringLiteral("No speech detected");
    case DictationCancelReason::deviceChanged:
        return QStringLiteral("Microphone changed");
    case DictationCancelReason::systemSleep:
        return QStringLiteral("Interrupted by sleep");
    case DictationCancelReason::meetingInProgress:
        return QStringLiteral("Recording a meeting");
    }
    return {};
}

HUDPresentation HUDPresentation::make(const DictationState &state, bool isSendingRemotely)
{
    using Kind = DictationState::Kind;
    switch (state.kind()) {
    case Kind::idle:
        return {};
    case Kind::recording:
        return { true, QStringLiteral("Listening"), Style::recording, true, false, std::nullopt };
    case Kind::transcribing:
        if (isSendingRemotely)
            return { true, QStringLiteral("Polishing…"), Style::working, false, true, std::nullopt };
        return { true, QStringLiteral("Transcribing…"), Style::working, false, false, std::nullopt };
    case Kind::listening:
        if (state.isTranscribing())
            return { true, QStringLiteral("Listening — transcribing…"), Style::working, true, false, std::nullopt };
        return { true, QStringLiteral("Listening (tap to stop)"), Style::recording, true, false, std::nullopt };
    case Kind::cancelled: {
        const DictationCancelReason reason = state.cancelReason().value_or(DictationCancelReason::userCancelled);
        const Style style = reason == DictationCancelReason::userCancelled ? Style::working : Style::error;
        return { true, cancelLabel(reason), style, false, false, 2 };
    }
    case Kind::failed:
        return { true, state.message(), Style::error, false, false, 4 };
    }
    return {};
}

} // namespace parlowind

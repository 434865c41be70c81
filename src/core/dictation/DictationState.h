#pragma once

#include <QString>

#include <array>
#include <optional>

namespace parlowind {

// Why an attempt ended without text.
enum class DictationCancelReason {
    userCancelled, // Escape was pressed
    tooShort, // a lone short tap, or a recording under the minimum length
    noSpeech, // no samples, or nothing left after cleanup
    deviceChanged, // the audio hardware changed (raised by the shell)
    systemSleep, // the computer is going to sleep (raised by the shell)
    meetingInProgress, // a press arrived while a meeting suspends dictation
};

inline constexpr std::array<DictationCancelReason, 6> allDictationCancelReasons {
    DictationCancelReason::userCancelled, DictationCancelReason::tooShort,    DictationCancelReason::noSpeech,
    DictationCancelReason::deviceChanged, DictationCancelReason::systemSleep, DictationCancelReason::meetingInProgress,
};

// The case name, e.g. "userCancelled".
QString rawValue(DictationCancelReason reason);

// What the dictation coordinator is doing. Two values are equal when their
// cases and the payload of that case are equal.
class DictationState
{
public:
    enum class Kind { idle, recording, transcribing, listening, cancelled, failed };

    static DictationState idle() { return DictationState(Kind::idle); }
    static DictationState recording() { return DictationState(Kind::recording); }
    static DictationState transcribing() { return DictationState(Kind::transcribing); }
    static DictationState listening(bool isTranscribing)
    {
        DictationState state(Kind::listening);
        state.m_isTranscribing = isTranscribing;
        return state;
    }
    static DictationState cancelled(DictationCancelReason reason)
    {
        DictationState state(Kind::cancelled);
        state.m_reason = reason;
        return state;
    }
    static DictationState failed(QString message)
    {
        DictationState state(Kind::failed);
        state.m_message = std::move(message);
        return state;
    }

    DictationState()
        : DictationState(Kind::idle)
    { }

    Kind kind() const { return m_kind; }
    bool is(Kind kind) const { return m_kind == kind; }

    // Payloads; meaningful only for their own case.
    bool isTranscribing() const { return m_isTranscribing; }
    std::optional<DictationCancelReason> cancelReason() const { return m_reason; }
    const QString &message() const { return m_message; }

    // The microphone is open for a hold or a continuous session.
    bool isCapturing() const { return m_kind == Kind::recording || m_kind == Kind::listening; }

    // A state in which a press may start a new attempt.
    bool isAtRest() const { return m_kind == Kind::idle || m_kind == Kind::cancelled || m_kind == Kind::failed; }

    // "idle", "listening(isTranscribing: true)", "cancelled(noSpeech)",
    // "failed(<message>)": for logs and test output.
    QString debugDescription() const;

    bool operator==(const DictationState &) const = default;

private:
    explicit DictationState(Kind kind)
        : m_kind(kind)
    { }

    Kind m_kind;
    bool m_isTranscribing = false;
    std::optional<DictationCancelReason> m_reason;
    QString m_message;
};

} // namespace parlowind

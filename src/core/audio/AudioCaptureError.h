#pragma once

#include "support/Error.h"

namespace parlowind {

// Why a microphone recording could not start.
class AudioCaptureError final : public Error
{
public:
    enum class Kind {
        startTimedOut, // the audio server did not confirm the start in time
        engineStartFailed, // no usable input, or the server refused the stream
        alreadyRunning, // start() while a recording is running
    };

    static AudioCaptureError startTimedOut() { return AudioCaptureError(Kind::startTimedOut, {}); }
    // `reason` is the audio system's own explanation, kept for the log.
    static AudioCaptureError engineStartFailed(QString reason = {})
    {
        return AudioCaptureError(Kind::engineStartFailed, std::move(reason));
    }
    static AudioCaptureError alreadyRunning() { return AudioCaptureError(Kind::alreadyRunning, {}); }

    Kind kind() const { return m_kind; }
    QString reason() const { return m_reason; }

    QString description() const override;
    QString logDescription() const override;

    // Equal by case; the platform's reason is detail.
    bool operator==(const AudioCaptureError &other) const { return m_kind == other.m_kind; }

private:
    AudioCaptureError(Kind kind, QString reason)
        : m_kind(kind)
        , m_reason(std::move(reason))
    { }

    Kind m_kind;
    QString m_reason;
};

// Why samples could not be converted to the engine format.
class AudioFormatError final : public Error
{
public:
    enum class Kind {
        unsupportedInputFormat, // no rate, no channels, or no converter for it
        converterFailed, // the resampler reported an error
    };

    static AudioFormatError unsupportedInputFormat(QString detail = {})
    {
        return AudioFormatError(Kind::unsupportedInputFormat, std::move(detail));
    }
    static AudioFormatError converterFailed(QString detail = {})
    {
        return AudioFormatError(Kind::converterFailed, std::move(detail));
    }

    Kind kind() const { return m_kind; }
    QString detail() const { return m_detail; }

    QString description() const override;
    QString logDescription() const override;

private:
    AudioFormatError(Kind kind, QString detail)
        : m_kind(kind)
        , m_detail(std::move(detail))
    { }

    Kind m_kind;
    QString m_detail;
};

} // namespace parlowind

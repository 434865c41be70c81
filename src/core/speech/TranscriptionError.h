#pragma once

#include "support/Error.h"

#include <QString>

namespace parlowind {

// Why the speech engine could not load its model or transcribe.
class TranscriptionError final : public Error
{
public:
    enum class Kind {
        modelNotFound, // no file at `location`
        modelLoadFailed, // whisper.cpp refused the file at `location`
        inferenceFailed, // whisper_full returned `status`
        notLoaded, // transcribe before a successful load
    };

    static TranscriptionError modelNotFound(QString location)
    {
        return { Kind::modelNotFound, std::move(location), 0 };
    }
    static TranscriptionError modelLoadFailed(QString location)
    {
        return { Kind::modelLoadFailed, std::move(location), 0 };
    }
    static TranscriptionError inferenceFailed(qint32 status) { return { Kind::inferenceFailed, {}, status }; }
    static TranscriptionError notLoaded() { return { Kind::notLoaded, {}, 0 }; }

    Kind kind() const { return m_kind; }
    const QString &location() const { return m_location; }
    qint32 status() const { return m_status; }

    QString logDescription() const override;
    QString description() const override;

    bool operator==(const TranscriptionError &other) const
    {
        return m_kind == other.m_kind && m_location == other.m_location && m_status == other.m_status;
    }

private:
    TranscriptionError(Kind kind, QString location, qint32 status)
        : m_kind(kind)
        , m_location(std::move(location))
        , m_status(status)
    { }

    Kind m_kind;
    QString m_location;
    qint32 m_status;
};

} // namespace parlowind

#pragma once

#include "support/Error.h"

#include <QString>

namespace parlowind {

// Why a model download did not complete.
class ModelStoreError final : public Error
{
public:
    enum class Kind {
        downloadFailed, // the answer was not HTTP, or its status was neither 200 nor 206
        notDownloaded, // for callers that need a model that is absent; the store never raises it
        incompleteDownload, // the body ended with `received` bytes where `expected` were announced
    };

    static ModelStoreError downloadFailed(QString id) { return { Kind::downloadFailed, std::move(id), 0, 0 }; }
    static ModelStoreError notDownloaded(QString id) { return { Kind::notDownloaded, std::move(id), 0, 0 }; }
    static ModelStoreError incompleteDownload(QString id, qint64 received, qint64 expected)
    {
        return { Kind::incompleteDownload, std::move(id), received, expected };
    }

    Kind kind() const { return m_kind; }
    const QString &id() const { return m_id; }
    qint64 received() const { return m_received; }
    qint64 expected() const { return m_expected; }

    QString logDescription() const override;
    QString description() const override;

    bool operator==(const ModelStoreError &other) const
    {
        return m_kind == other.m_kind && m_id == other.m_id && m_received == other.m_received
            && m_expected == other.m_expected;
    }

private:
    ModelStoreError(Kind kind, QString id, qint64 received, qint64 expected)
        : m_kind(kind)
        , m_id(std::move(id))
        , m_received(received)
        , m_expected(expected)
    { }

    Kind m_kind;
    QString m_id;
    qint64 m_received;
    qint64 m_expected;
};

// A file operation of the model store failed; carries the system's message.
class ModelFileError final : public Error
{
public:
    ModelFileError(QString path, QString message)
        : m_path(std::move(path))
        , m_message(std::move(message))
    { }
    const QString &path() const { return m_path; }
    QString description() const override { return QStringLiteral("%1: %2").arg(m_path, m_message); }

private:
    QString m_path;
    QString m_message;
};

// The network failed during a model download (no answer, a reset, a time-out).
class ModelNetworkError final : public Error
{
public:
    ModelNetworkError(QString url, QString message)
        : m_url(std::move(url))
        , m_message(std::move(message))
    { }
    QString description() const override { return QStringLiteral("%1: %2").arg(m_url, m_message); }

private:
    QString m_url;
    QString m_message;
};

} // namespace parlowind

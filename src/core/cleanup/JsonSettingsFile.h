#pragma once

#include "support/Error.h"

#include <QJsonDocument>
#include <QString>

#include <functional>
#include <optional>

namespace parlowind {

// A settings file could not be written; the file on disk is unchanged.
class SettingsFileError final : public Error
{
public:
    SettingsFileError(QString path, QString reason)
        : m_path(std::move(path))
        , m_reason(std::move(reason))
    { }
    QString path() const { return m_path; }
    QString reason() const { return m_reason; }
    QString description() const override;
    QString logDescription() const override;

private:
    QString m_path;
    QString m_reason;
};

// The small JSON files of user settings (dictionary, shortcuts, language-model
// settings). Reading is lenient: whatever goes wrong gives nothing, and the
// caller falls back to its defaults. Writing replaces the whole file at once,
// so a reader (or a crash) sees the old file or the new one, never a mix.
namespace JsonSettingsFile {

// Tells whether a document is a usable file of its kind.
using Validator = std::function<bool(const QJsonDocument &document)>;

// The document, or nothing when the file is missing, unreadable or not JSON.
std::optional<QJsonDocument> read(const QString &path);

// Writes the document atomically, or throws SettingsFileError. A file already
// there that `isUsable` rejects (hand-edited into a syntax error, say) was
// never loaded, so it is kept beside as "<name>.damaged" before being replaced
// rather than silently lost.
void write(const QString &path, const QJsonDocument &document, const Validator &isUsable);

// Replaces the file's content whole: a failure leaves the old file as it was.
// Throws SettingsFileError.
void writeAtomically(const QString &path, const QByteArray &data);

// Where write() keeps a damaged file.
QString damagedCopyPath(const QString &path);

} // namespace JsonSettingsFile
} // namespace parlowind

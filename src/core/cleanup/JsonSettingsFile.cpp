#include "JsonSettingsFile.h"

#include "support/AtomicFile.h"

#include "support/Log.h"

#include <QFile>
#include <QFileInfo>

namespace parlowind {

QString SettingsFileError::description() const
{
    return QStringLiteral("Could not save %1: %2").arg(QFileInfo(m_path).fileName(), m_reason);
}

QString SettingsFileError::logDescription() const
{
    return QStringLiteral("SettingsFileError(path: %1, reason: %2)").arg(m_path, m_reason);
}

namespace JsonSettingsFile {

namespace {
void keepDamagedCopy(const QString &path, const Validator &isUsable)
{
    const QFileInfo info(path);
    if (!info.exists() || info.size() == 0)
        return;
    const std::optional<QJsonDocument> current = read(path);
    if (current && isUsable(*current))
        return;
    const QString copy = damagedCopyPath(path);
    QFile::remove(copy);
    if (QFile::copy(path, copy))
        log(QStringLiteral("WARNING: %1 could not be read; kept it as %2 before replacing it").arg(path, copy));
    else
        log(QStringLiteral("WARNING: %1 could not be read and could not be kept as %2").arg(path, copy));
}
} // namespace

std::optional<QJsonDocument> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return document;
}

QString damagedCopyPath(const QString &path)
{
    return path + QStringLiteral(".damaged");
}

void writeAtomically(const QString &path, const QByteArray &data)
{
    if (const std::optional<QString> reason = writeFileAtomically(path, data))
        throw SettingsFileError(path, *reason);
}

void write(const QString &path, const QJsonDocument &document, const Validator &isUsable)
{
    const QByteArray data = document.toJson(QJsonDocument::Compact);
    if (isUsable)
        keepDamagedCopy(path, isUsable);
    writeAtomically(path, data);
}

} // namespace JsonSettingsFile
} // namespace parlowind

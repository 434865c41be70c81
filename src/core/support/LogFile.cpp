#include "LogFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace parlowind {

namespace {
QString previousSibling(const QString &path)
{
    QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".previous.") + info.suffix());
}
} // namespace

LogFile::LogFile(QString path, qint64 rotationBytes)
    : m_path(std::move(path))
    , m_previousPath(previousSibling(m_path))
    , m_rotationBytes(rotationBytes)
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
}

QString LogFile::timestamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

void LogFile::write(const QString &message) noexcept
{
    try {
        // Formatting happens before the lock so writers only contend for the file.
        const QByteArray line = (timestamp() + QLatin1Char(' ') + message + QLatin1Char('\n')).toUtf8();
        std::lock_guard guard(m_lock);
        append(line);
    } catch (...) {
        // A log line is never worth failing the caller for.
    }
}

void LogFile::append(const QByteArray &line)
{
    const QFileInfo info(m_path);
    if (info.exists() && info.size() > m_rotationBytes) {
        QFile::remove(m_previousPath);
        QFile::rename(m_path, m_previousPath);
    }

    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        // The folder may have been removed while we run; bring it back once.
        if (!QDir().mkpath(info.absolutePath()) || !file.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
    }
    file.write(line);
    file.close();
}

} // namespace parlowind

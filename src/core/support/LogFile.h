#pragma once

#include <QString>

#include <mutex>

namespace parlowind {

// One rotating log file: appends whole lines under a lock and moves the file
// aside to its ".previous" sibling once it has grown past the limit. Never
// throws and never reports a failure; a line that cannot be written is lost.
class LogFile final
{
public:
    static constexpr qint64 defaultRotationBytes = 524288;

    explicit LogFile(QString path, qint64 rotationBytes = defaultRotationBytes);
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    QString path() const { return m_path; }
    QString previousPath() const { return m_previousPath; }

    // Appends "<timestamp> <message>\n".
    void write(const QString &message) noexcept;

    // "yyyy-MM-dd HH:mm:ss.zzz" in local time.
    static QString timestamp();

private:
    void append(const QByteArray &line);

    const QString m_path;
    const QString m_previousPath;
    const qint64 m_rotationBytes;
    std::mutex m_lock;
};

} // namespace parlowind

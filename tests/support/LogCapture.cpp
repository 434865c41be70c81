#include "LogCapture.h"

#include <QMutexLocker>

#include <atomic>
#include <cstring>

namespace parlowind::test {

namespace {
std::atomic<LogCapture *> s_current { nullptr };
}

LogCapture::LogCapture()
{
    s_current.store(this);
    m_previous = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    s_current.store(nullptr);
}

void LogCapture::handle(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    // Only the application's own log, not Qt's warnings.
    if (!context.category || std::strcmp(context.category, "parlowind") != 0)
        return;
    if (LogCapture *capture = s_current.load()) {
        QMutexLocker lock(&capture->m_mutex);
        capture->m_lines.append(message);
    }
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

QStringList LogCapture::linesStartingWith(const QString &prefix) const
{
    QStringList matching;
    for (const QString &line : lines())
        if (line.startsWith(prefix))
            matching.append(line);
    return matching;
}

void LogCapture::clear()
{
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
}

} // namespace parlowind::test

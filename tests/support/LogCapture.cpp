#include "LogCapture.h"

#include <cstring>

namespace parlowind::test {

namespace {
LogCapture *s_active = nullptr;
} // namespace

LogCapture::LogCapture()
{
    s_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    s_active = nullptr;
}

QStringList LogCapture::lines() const
{
    QMutexLocker locker(&m_mutex);
    return m_lines;
}

void LogCapture::handler(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    // Only the application's own log, not Qt's warnings.
    if (!s_active || !context.category || std::strcmp(context.category, "parlowind") != 0)
        return;
    QMutexLocker locker(&s_active->m_mutex);
    s_active->m_lines.append(message);
}

} // namespace parlowind::test

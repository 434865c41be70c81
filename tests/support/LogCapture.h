#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

namespace parlowind::test {

// Collects the lines passed to log()/logError() while it lives (they reach
// Qt's message handler), for tests that check what was logged. One at a time.
class LogCapture final
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler m_previous;
    mutable QMutex m_mutex;
    QStringList m_lines;
};

} // namespace parlowind::test

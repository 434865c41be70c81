#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

namespace parlowind::test {

// Collects the lines passed to log()/logError() while it exists (they reach
// Qt's message handler in the "parlowind" category). One at a time.
class LogCapture final
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    // Lines that begin with `prefix`.
    QStringList linesStartingWith(const QString &prefix) const;
    void clear();

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace parlowind::test

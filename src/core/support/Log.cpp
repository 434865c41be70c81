#include "Log.h"

#include "AppPaths.h"
#include "Error.h"
#include "LogFile.h"

#include <QDir>
#include <QLoggingCategory>

#include <atomic>

Q_LOGGING_CATEGORY(lcParlowind, "parlowind", QtInfoMsg)

namespace parlowind {

namespace {
std::atomic_bool s_fileLogging { false };

LogFile &logFile()
{
    // Initialised exactly once, whichever thread logs first.
    static LogFile file(QDir(AppPaths::logsDirectory()).filePath(QStringLiteral("parlowind.log")));
    return file;
}

void toConsole(const QString &message) noexcept
{
    try {
        qCInfo(lcParlowind).noquote() << message;
    } catch (...) { }
}
} // namespace

void log(const QString &message) noexcept
{
    toConsole(message);
    Log::write(message);
}

void logError(const QString &context, const std::exception &error) noexcept
{
    try {
        log(QStringLiteral("ERROR: ") + context + QStringLiteral(": ") + describeForLog(error));
    } catch (...) { }
}

namespace Log {

void write(const QString &message) noexcept
{
    if (!s_fileLogging.load(std::memory_order_relaxed))
        return;
    try {
        logFile().write(message);
    } catch (...) { }
}

QString fileUrl()
{
    return logFile().path();
}

void setFileLoggingEnabled(bool enabled) noexcept
{
    s_fileLogging.store(enabled);
}

bool isFileLoggingEnabled() noexcept
{
    return s_fileLogging.load();
}

} // namespace Log
} // namespace parlowind

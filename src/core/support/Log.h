#pragma once

#include <QString>

#include <exception>

namespace parlowind {

// Sends one message to the diagnostic stream and, in the application, to the
// log file. Callable from any thread; never fails.
void log(const QString &message) noexcept;

// Logs "ERROR: <context>: <error>".
void logError(const QString &context, const std::exception &error) noexcept;

namespace Log {

// Appends a line to the log file when file logging is on; otherwise does nothing.
void write(const QString &message) noexcept;

// "$XDG_STATE_HOME/Parlowind/parlowind.log", fixed at first use.
QString fileUrl();

// Only the application itself writes the file, so other hosts of the core
// (tests, tools) never touch the user's log. Off until turned on.
void setFileLoggingEnabled(bool enabled) noexcept;
bool isFileLoggingEnabled() noexcept;

} // namespace Log
} // namespace parlowind

#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace parlowind {

// Base of every service's error type. `description()` is what the user reads;
// `logDescription()` names the case and its payload for the log.
class Error : public std::exception
{
public:
    virtual QString description() const = 0;
    virtual QString logDescription() const { return description(); }

    const char *what() const noexcept override;

private:
    mutable QByteArray m_what;
};

// Text that identifies any exception in a log line.
QString describeForLog(const std::exception &error);

} // namespace parlowind

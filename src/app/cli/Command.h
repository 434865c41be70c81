#pragma once

#include "support/Error.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace parlowind::cli {

// Exit statuses of the command line.
enum class ExitCode : int {
    ok = 0,
    failure = 1, // the command ran and failed; the reason is on stderr
    usage = 2, // the arguments were wrong
    unavailable = 3, // something the command needs is missing (a model, a running instance)
};

// One subcommand of `parlowind`. `run` receives the arguments after the
// command's name and returns the exit status.
struct Command
{
    QString name;
    QString synopsis; // shown in --help, e.g. "clean [--filler LEVEL]"
    QString summary; // one line
    std::function<ExitCode(const QStringList &arguments)> run;
};

// Thrown by a command for a one-line message on stderr and the given status.
class CommandError final : public Error
{
public:
    CommandError(QString message, ExitCode code = ExitCode::failure)
        : m_message(std::move(message))
        , m_code(code)
    { }
    QString description() const override { return m_message; }
    ExitCode code() const { return m_code; }

private:
    QString m_message;
    ExitCode m_code;
};

// Every command; the order is the order of --help.
const std::vector<Command> &allCommands();

} // namespace parlowind::cli

#include "CommandLine.h"

#include "Command.h"
#include "support/Log.h"

#include <QTextStream>

#include <cstdio>

namespace parlowind::cli {

namespace {
const Command *findCommand(const QString &name)
{
    for (const Command &command : allCommands())
        if (command.name == name)
            return &command;
    return nullptr;
}

void printError(const QString &message)
{
    QTextStream err(stderr);
    err << "parlowind: " << message << Qt::endl;
}
} // namespace

bool isCommandInvocation(const QStringList &arguments)
{
    return !arguments.isEmpty();
}

QString helpText()
{
    QString text;
    QTextStream out(&text);
    out << "Usage: parlowind [COMMAND [ARGUMENTS]]\n\n"
        << "Without a command, starts the dictation application in the tray.\n\n"
        << "Commands:\n";
    int width = 0;
    for (const Command &command : allCommands())
        width = std::max(width, int(command.synopsis.size()));
    for (const Command &command : allCommands())
        out << "  " << command.synopsis.leftJustified(width + 2) << command.summary << '\n';
    out << "\nOptions:\n"
        << "  --help      show this help\n"
        << "  --version   show the versions of Parlowind and whisper.cpp\n";
    return text;
}

int runCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return int(ExitCode::usage);

    QString name = arguments.first();
    if (name == QStringLiteral("--help") || name == QStringLiteral("-h") || name == QStringLiteral("help")) {
        QTextStream(stdout) << helpText();
        return int(ExitCode::ok);
    }
    if (name == QStringLiteral("--version") || name == QStringLiteral("-v"))
        name = QStringLiteral("version");

    const Command *command = findCommand(name);
    if (!command) {
        printError(QStringLiteral("unknown command \"%1\"; see parlowind --help").arg(name));
        return int(ExitCode::usage);
    }

    try {
        return int(command->run(arguments.mid(1)));
    } catch (const CommandError &error) {
        printError(error.description());
        return int(error.code());
    } catch (const Error &error) {
        printError(error.description());
        return int(ExitCode::failure);
    } catch (const std::exception &error) {
        logError(QStringLiteral("command %1").arg(name), error);
        printError(QString::fromUtf8(error.what()));
        return int(ExitCode::failure);
    }
}

} // namespace parlowind::cli

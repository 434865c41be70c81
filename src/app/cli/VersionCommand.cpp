#include "Command.h"

#include "Version.h"

#include <QTextStream>

#include <whisper.h>

namespace parlowind::cli {

Command versionCommand()
{
    return Command {
        QStringLiteral("version"),
        QStringLiteral("version"),
        QStringLiteral("show the versions of Parlowind and whisper.cpp"),
        [](const QStringList &arguments) {
            if (!arguments.isEmpty())
                throw CommandError(QStringLiteral("version takes no arguments"), ExitCode::usage);
            QTextStream out(stdout);
            out << "Parlowind " << applicationVersion << '\n' << "whisper.cpp " << whisper_version() << '\n';
            return ExitCode::ok;
        },
    };
}

} // namespace parlowind::cli

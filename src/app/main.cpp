#include "cli/CommandLine.h"
#include "support/Log.h"

#include "Version.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace parlowind;

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCoreApplication::setApplicationName(QStringLiteral("parlowind"));
    QCoreApplication::setOrganizationName(QStringLiteral("Parlowind"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(applicationVersion));
    Log::setFileLoggingEnabled(true);

    // A command needs no display: decide before creating the application object.
    if (cli::isCommandInvocation(arguments)) {
        QCoreApplication app(argc, argv);
        return cli::runCommandLine(arguments);
    }

    QTextStream(stderr) << "parlowind: the tray application is not part of this build yet; "
                           "see parlowind --help for the commands.\n";
    return 3;
}

#include "AppDelegate.h"
#include "LinuxAppEnvironment.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "WidgetShellViews.h"
#include "audio/LevelMeter.h"
#include "cli/CommandLine.h"
#include "support/Log.h"
#include "ui/Icons.h"

#include "Version.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSysInfo>
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

    // Without a display Qt would abort with a platform-plugin error.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        QTextStream(stderr) << "parlowind: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                               "the commands work without one, see parlowind --help\n";
        return 3;
    }

    // A relaunch starts us while the old instance is still leaving.
    const bool isRelaunch = qEnvironmentVariableIsSet("PARLOWIND_RELAUNCHED");
    qunsetenv("PARLOWIND_RELAUNCHED");
    QApplication app(argc, argv);
    const SingleInstance::Claim claim = SingleInstance::claim(isRelaunch ? 10 : 0);
    if (claim == SingleInstance::Claim::handedOver) {
        QTextStream(stdout) << "Parlowind is already running; its window was brought forward.\n";
        return 0;
    }
    // The tray application has no main window: closing the last one never quits.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(Icons::application());
    QApplication::setDesktopFileName(QStringLiteral("parlowind"));
    if (claim == SingleInstance::Claim::noBus)
        log(QStringLiteral("WARNING: no session bus: parlowind ptt and a second start cannot reach this instance"));

    auto levelMeter = std::make_shared<LevelMeter>();
    auto settings = std::make_unique<SettingsStore>();
    auto environment = std::make_unique<LinuxAppEnvironment>(levelMeter, *settings);
    AppDelegate::Facts facts { QString::fromLatin1(applicationVersion), QString(),
                               QSysInfo::productType() + QLatin1Char(' ') + QSysInfo::productVersion(),
                               Log::fileUrl() };
    AppDelegate delegate(std::move(environment), std::make_unique<WidgetShellViews>(levelMeter), std::move(settings),
                         std::move(facts));
    delegate.setOnQuit([] { QApplication::quit(); });
    SingleInstance::serve([&delegate] { delegate.showFront(); }, &app);
    QObject::connect(&app, &QApplication::aboutToQuit, &app, [&delegate] { delegate.terminate(); });
    quitOnTerminationSignals(&app);
    delegate.launch();
    return app.exec();
}

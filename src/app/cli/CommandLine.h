#pragma once

#include <QStringList>

namespace parlowind::cli {

// True when these arguments ask for a command rather than the desktop
// application.
bool isCommandInvocation(const QStringList &arguments);

// Runs the command named by `arguments` (argv without the program name) and
// returns the process exit status. Needs a QCoreApplication.
int runCommandLine(const QStringList &arguments);

QString helpText();

} // namespace parlowind::cli

#include "AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace parlowind::AppPaths {

namespace {
const QString appFolder = QStringLiteral("Parlowind");

QString xdgOrHome(const char *variable, const QString &fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    // The XDG rules ignore relative values.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
}
} // namespace

QString supportDirectory()
{
    return xdgOrHome("XDG_DATA_HOME", QStringLiteral(".local/share")) + QLatin1Char('/') + appFolder;
}

QString logsDirectory()
{
    // Qt 6.4 has no StateLocation.
    return xdgOrHome("XDG_STATE_HOME", QStringLiteral(".local/state")) + QLatin1Char('/') + appFolder;
}

QString settingsFile()
{
    return xdgOrHome("XDG_CONFIG_HOME", QStringLiteral(".config")) + QLatin1Char('/') + appFolder
        + QStringLiteral("/Parlowind.conf");
}

QString supportPath(const QString &relative)
{
    return supportDirectory() + QLatin1Char('/') + relative;
}

} // namespace parlowind::AppPaths

#include "OfflinePreference.h"

#include "support/AppPaths.h"

#include <QSettings>

namespace parlowind::cli {

bool readOfflineOnlyPreference()
{
    const QSettings preferences(AppPaths::settingsFile(), QSettings::IniFormat);
    return preferences.value(QStringLiteral("offlineOnly"), false).toBool();
}

} // namespace parlowind::cli

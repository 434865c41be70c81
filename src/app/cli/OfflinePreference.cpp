#include "OfflinePreference.h"

#include "settings/SettingsStore.h"

namespace parlowind::cli {

bool readOfflineOnlyPreference()
{
    return SettingsStore().offlineOnly();
}

} // namespace parlowind::cli

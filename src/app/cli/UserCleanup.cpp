#include "UserCleanup.h"

#include "cleanup/CleanupSettingsStore.h"
#include "cleanup/DictionaryStore.h"
#include "cleanup/ShortcutStore.h"

namespace parlowind::cli {

CleanupPipeline userCleanupPipeline()
{
    const CleanupSettingsStore files;
    return CleanupPipeline::standard(std::make_shared<DictionaryStore>(files.loadTerms()),
                                     std::make_shared<ShortcutStore>(files.loadShortcuts()));
}

} // namespace parlowind::cli

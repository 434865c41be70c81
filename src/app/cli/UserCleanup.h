#pragma once

#include "cleanup/CleanupPipeline.h"

namespace parlowind::cli {

// The pipeline dictation runs, over the user's stored dictionary and shortcuts.
CleanupPipeline userCleanupPipeline();

} // namespace parlowind::cli

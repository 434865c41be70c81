#pragma once

#include "speech/ModelStore.h"
#include "speech/WhisperModel.h"

#include <QString>

#include <optional>

namespace parlowind::cli {

// The catalogue entry as the command line fetches it: from its public
// location, or from the mirror named by PARLOWIND_MODELS_URL (a folder URL
// holding the same file names).
WhisperModel downloadableModel(const WhisperModel &model);

// The speech model the preferences and the models folder choose: the
// activeModelID preference when that model is downloaded, else the first
// installed speech model, else Large v3 Turbo.
WhisperModel preferredModel(const ModelStore &store);

} // namespace parlowind::cli

#pragma once

namespace parlowind::cli {

// The user's "offlineOnly" preference, read afresh on every call.
bool readOfflineOnlyPreference();

} // namespace parlowind::cli

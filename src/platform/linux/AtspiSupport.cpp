#include "AtspiSupport.h"

#include <atspi/atspi.h>

#include <mutex>

namespace parlowind::atspi {

namespace {
// A frozen target must not hold the UI thread for D-Bus's 25 s default.
constexpr int callTimeoutMs = 1500;
} // namespace

bool ensureInitialised()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        // atspi_init answers 1 when it was already initialised by someone else.
        const int result = atspi_init();
        ok = result == 0 || result == 1;
        if (ok)
            atspi_set_timeout(callTimeoutMs, callTimeoutMs);
    });
    return ok;
}

bool consumeError(GError *&error)
{
    if (!error)
        return false;
    g_error_free(error);
    error = nullptr;
    return true;
}

QString takeString(char *text)
{
    if (!text)
        return {};
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

} // namespace parlowind::atspi

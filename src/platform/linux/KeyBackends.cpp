#include "KeyBackends.h"

#include "EvdevKeySource.h"
#include "PortalHotkeyEngine.h"
#include "X11HotkeyEngine.h"
#include "XInput2KeySource.h"
#include "hotkeys/FirstAvailableKeySource.h"
#include "hotkeys/HotkeyError.h"
#include "support/Log.h"

namespace parlowind {

void UnavailableChordEngine::registerBinding(const HotkeyBinding &binding, HotkeyID)
{
    if (binding.isFn())
        throw HotkeyError::requiresEventTap();
    throw HotkeyError::registrationFailed(X11HotkeyEngine::noConnectionStatus);
}

KeyBackends KeyBackends::create(const PlatformInfo &platform)
{
    KeyBackends backends;
    if (qEnvironmentVariable("PARLOWIND_KEYS") == QStringLiteral("none")) {
        backends.chords = std::make_unique<UnavailableChordEngine>();
        backends.fn = std::make_unique<FnHotkeyMonitor>(
            std::make_unique<FirstAvailableKeySource>(std::vector<std::unique_ptr<LoneKeySource>> {}));
        backends.description = QStringLiteral("none (PARLOWIND_KEYS=none)");
        return backends;
    }

    std::vector<std::unique_ptr<LoneKeySource>> watches;
    QStringList names;
    // Under XWayland an X client sees no keys of Wayland windows, so X11
    // mechanisms only serve a real X11 session.
    if (platform.session == SessionType::x11) {
        auto engine = std::make_unique<X11HotkeyEngine>();
        if (engine->isConnected()) {
            backends.chords = std::move(engine);
            names << QStringLiteral("chords: X11 grabs");
        }
        watches.push_back(std::make_unique<XInput2KeySource>());
        names << QStringLiteral("lone key: XInput2");
    }
    watches.push_back(std::make_unique<EvdevKeySource>());
    names << QStringLiteral("lone key: evdev");
    if (!backends.chords && platform.session == SessionType::wayland && PortalHotkeyEngine::isAvailable()) {
        backends.chords = std::make_unique<PortalHotkeyEngine>();
        names << QStringLiteral("chords: shortcuts portal");
    }
    if (!backends.chords) {
        backends.chords = std::make_unique<UnavailableChordEngine>();
        names << QStringLiteral("chords: none (use parlowind ptt from a desktop shortcut)");
    }
    backends.fn = std::make_unique<FnHotkeyMonitor>(std::make_unique<FirstAvailableKeySource>(std::move(watches)));
    backends.description = names.join(QStringLiteral(", "));
    log(QStringLiteral("Keys: %1").arg(backends.description));
    return backends;
}

} // namespace parlowind

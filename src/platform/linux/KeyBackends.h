#pragma once

#include "PlatformInfo.h"
#include "hotkeys/FnHotkeyMonitor.h"
#include "hotkeys/HotkeyRegistering.h"

#include <memory>

namespace parlowind {

// The chord engine and the lone-key watch this session supports, chosen
// once at start. PARLOWIND_KEYS=none gives neither (every registration
// fails), for running the application where no keys can be had.
struct KeyBackends
{
    std::unique_ptr<HotkeyRegistering> chords;
    std::unique_ptr<FnHotkeyMonitor> fn;
    QString description; // for the log

    static KeyBackends create(const PlatformInfo &platform);
};

// Where no chord engine exists: every registration fails.
class UnavailableChordEngine final : public HotkeyRegistering
{
public:
    void setOnEvent(EventHandler) override { }
    void registerBinding(const HotkeyBinding &binding, HotkeyID id) override;
    void unregister(HotkeyID) override { }
    void unregisterAll() override { }
};

} // namespace parlowind
